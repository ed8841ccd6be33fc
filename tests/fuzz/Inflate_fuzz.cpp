// InflateDataToFile on arbitrary bytes: it must never crash or write past its 4096 bytes,
// and it must accept exactly what zlib's uncompress accepts into 4096 bytes, writing the
// same bytes. zlib is not instrumented, so the fuzzer cannot steer into the decoder by
// coverage; half of the inputs are therefore made into real streams first (the rest of the
// input compressed, then a few bits flipped at places the input picks), which reaches deep
// into the decoder's checks.
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "library/Karvo.h"
#include "platform/Files.h"
#include "platform/Machine.h"

namespace {

vx::FileHandle Output() {
  static vx::FileHandle h = [] {
    std::string dir = "/tmp/vx-inflate-fuzz-" + std::to_string(::getpid());
    vx::Machine::SetCurrent(dir);
    return vx::CreateFile("C:\\inflate.bin", vx::kGenericRead | vx::kGenericWrite, vx::kShareNone,
                          vx::Disposition::CreateAlways);
  }();
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t inputSize) {
  if (inputSize < 1 || inputSize > 1u << 16) return 0;
  const std::uint8_t* data = input + 1;
  std::size_t size = inputSize - 1;
  std::uint8_t made[2 * 4200 + 64];
  if (input[0] & 1) {
    // [mode][level][flip count][flip positions: 2 bytes each][plain bytes]
    if (size < 2) return 0;
    const int level = data[0] % 10;
    const std::size_t flips = std::min<std::size_t>(data[1] % 4, (size - 2) / 2);
    const std::uint8_t* positions = data + 2;
    const std::uint8_t* plain = positions + 2 * flips;
    const std::size_t plainSize = std::min<std::size_t>(size - 2 - 2 * flips, 4200);
    uLongf length = sizeof made;
    if (compress2(made, &length, plain, static_cast<uLong>(plainSize), level) != Z_OK) abort();
    for (std::size_t i = 0; i < flips; ++i) {
      const std::size_t bit =
          (std::size_t(positions[2 * i]) << 8 | positions[2 * i + 1]) % (length * 8);
      made[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    }
    data = made;
    size = length;
  }
  vx::FileHandle h = Output();
  if (h == vx::kInvalidHandle) abort();
  vx::SetFilePointer(h, 0, vx::SeekFrom::Begin);
  vx::SetEndOfFile(h);

  std::uint8_t expect[4096];
  uLongf n = sizeof expect;
  const bool zlibOk = uncompress(expect, &n, data, static_cast<uLong>(size)) == Z_OK;

  std::uint32_t written = 0;
  const bool ours = InflateDataToFile(h, data, static_cast<std::uint32_t>(size), &written) != 0;
  if (ours != zlibOk) abort();
  const std::int64_t length = vx::GetFileSize(h);
  if (!ours) {
    if (length != 0) abort();  // a refused stream writes nothing
    return 0;
  }
  if (written != n || length != static_cast<std::int64_t>(n)) abort();
  std::uint8_t got[4096];
  std::uint32_t read = 0;
  vx::SetFilePointer(h, 0, vx::SeekFrom::Begin);
  if (!vx::ReadFile(h, got, static_cast<std::uint32_t>(n), &read) || read != n) abort();
  if (std::memcmp(got, expect, n) != 0) abort();
  return 0;
}
