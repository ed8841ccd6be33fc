// Decoded pictures kept ready for drawing, so that a window repainting an unchanged picture
// does not decode it again. Every look-up checks the file's size and last-write time first,
// so a changed file is seen at once.
#pragma once
#include <memory>
#include <string_view>

#include "library/picture/Display.h"

namespace karvo {

// The picture of a file, or null (with the reason in `status`) when it cannot be read.
std::shared_ptr<const vx::picture::Dib> CachedPicture(std::string_view path,
                                                      vx::picture::Status* status);

}  // namespace karvo
