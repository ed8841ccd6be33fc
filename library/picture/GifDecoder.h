// GIF 87a and 89a: the first image of the file, through its local colour table or the global
// one, interlaced or not. Extensions are skipped; transparency and animation do not apply.
// All decoding state lives in the call, so pictures may decode on several threads at once.
#pragma once
#include <string_view>

#include "library/picture/Picture.h"

namespace vx::picture {

// Decodes a whole .gif file; `name` is the file's name, which some status texts quote. The
// status text is "No Error" on success (or a remark that did not stop decoding), else the
// reason. Pixels a short code stream does not reach stay black.
bool DecodeGif(Bytes data, std::string_view name, PixelImage* image, Status* status,
               std::uint32_t maxSide = kMaxSide);

}  // namespace vx::picture
