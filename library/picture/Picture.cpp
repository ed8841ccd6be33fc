#include "library/picture/Picture.h"

#include <new>

namespace vx::picture {

bool AllocatePixels(PixelImage* image, std::uint32_t width, std::uint32_t height) {
  try {
    image->rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
  } catch (const std::bad_alloc&) {
    image->rgb.clear();
    return false;
  }
  image->width = width;
  image->height = height;
  return true;
}

}  // namespace vx::picture
