// libFuzzer entry point: arbitrary bytes as a .bmp file.
#include "library/picture/BmpDecoder.h"
#include "tests/fuzz/PictureFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vx::picture::PixelImage image;
  vx::picture::Status status;
  const bool ok = vx::picture::DecodeBmp({data, size}, &image, &status, vx::fuzz::kFuzzMaxSide);
  vx::fuzz::CheckDecode(ok, image, status);
  return 0;
}
