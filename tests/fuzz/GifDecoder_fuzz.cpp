// libFuzzer entry point: arbitrary bytes as a .gif file. A decode that succeeds must give the
// same pixels a second time: no state may outlive a call.
#include "library/picture/GifDecoder.h"
#include "tests/fuzz/PictureFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vx::picture::PixelImage image;
  vx::picture::Status status;
  const bool ok =
      vx::picture::DecodeGif({data, size}, "fuzz.gif", &image, &status, vx::fuzz::kFuzzMaxSide);
  vx::fuzz::CheckDecode(ok, image, status);
  if (ok) {
    vx::picture::PixelImage again;
    if (!vx::picture::DecodeGif({data, size}, "fuzz.gif", &again, &status,
                                vx::fuzz::kFuzzMaxSide) ||
        again.rgb != image.rgb)
      std::abort();
  }
  return 0;
}
