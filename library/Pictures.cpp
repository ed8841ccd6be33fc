#include "library/Karvo.h"
#include "library/MessageBoxHook.h"
#include "library/PictureCache.h"

namespace {

std::shared_ptr<const vx::picture::Dib> Picture(const char* file) {
  if (file == nullptr) return nullptr;
  vx::picture::Status status;
  auto dib = karvo::CachedPicture(file, &status);
  if (!dib && status.tellUser)
    karvo::ShowLibraryMessage(status.text.c_str(), status.caption, status.boxType);
  return dib;
}

}  // namespace

KARVO_API void VxDisplayImage(const char* file, VxDc dc, VxRect rect, unsigned style, int effect) {
  if (dc == nullptr) return;
  const auto dib = Picture(file);
  if (!dib) return;
  vx::picture::DisplayDib(*dib, *dc, {rect.left, rect.top, rect.right, rect.bottom}, style, effect);
}

KARVO_API void RetrieveImageDimension(const char* file, VxSize* size) {
  if (size == nullptr) return;
  size->cx = 0;
  size->cy = 0;
  const auto dib = Picture(file);
  if (!dib) return;
  size->cx = dib->header.biWidth;
  size->cy = dib->header.biHeight;
}
