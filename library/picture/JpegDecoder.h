// JPEG through libjpeg: greyscale and colour pictures. Failures the library reports are for
// the user to see: the status then asks for a message box.
#pragma once
#include "library/picture/Picture.h"

namespace vx::picture {

// Message box types of the JPEG messages.
inline constexpr unsigned kBoxOk = 0x0;
inline constexpr unsigned kBoxIconStop = 0x10;  // also the error icon

// Decodes a whole .jpg file. The status text is "OK" on success, else the reason.
bool DecodeJpeg(Bytes data, PixelImage* image, Status* status, std::uint32_t maxSide = kMaxSide);

}  // namespace vx::picture
