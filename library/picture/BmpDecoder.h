// Windows bitmaps: 1, 4, 8 and 24 bits per pixel, uncompressed, rows bottom-up (or top-down
// when the height is negative).
#pragma once
#include "library/picture/Picture.h"

namespace vx::picture {

// Decodes a whole .bmp file. The status text is "OK" on success, else the reason.
bool DecodeBmp(Bytes data, PixelImage* image, Status* status, std::uint32_t maxSide = kMaxSide);

}  // namespace vx::picture
