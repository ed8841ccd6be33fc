#include "library/picture/JpegDecoder.h"

#include "library/picture/JpegCore.h"

namespace vx::picture {

namespace {

extern "C" unsigned char* SizePixels(void* context, unsigned width, unsigned height) {
  auto* image = static_cast<PixelImage*>(context);
  return AllocatePixels(image, width, height) ? image->rgb.data() : nullptr;
}

bool Fail(Status* status, std::string text, bool tellUser, const char* caption = nullptr,
          unsigned boxType = kBoxOk) {
  status->text = std::move(text);
  status->tellUser = tellUser;
  status->caption = caption;
  status->boxType = boxType;
  return false;
}

}  // namespace

bool DecodeJpeg(Bytes data, PixelImage* image, Status* status, std::uint32_t maxSide) {
  *image = PixelImage{};
  *status = Status{"OK"};
  char message[201];
  unsigned width = 0;
  unsigned height = 0;
  const int result = VxJpegDecode(data.data(), data.size(), maxSide, kMaxPixelBytes, SizePixels,
                                  image, message, &width, &height);
  if (result == kVxJpegOk) return true;
  *image = PixelImage{};
  switch (result) {
    case kVxJpegLibraryError:
      return Fail(status, message, true, "JPEG Fatal Error", kBoxOk | kBoxIconStop);
    case kVxJpegOutOfMemory:
      return Fail(status, "JpegFile :\nOut of memory", true, nullptr, kBoxOk | kBoxIconStop);
    // Refusals of this program's own: they stay quiet, as the other decoders' do.
    case kVxJpegTooLarge:
      return Fail(status, "JPEG image too large", false);
    default:
      return Fail(status, "JPEG colour space not supported", false);
  }
}

}  // namespace vx::picture
