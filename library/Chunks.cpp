#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "library/Karvo.h"
#include "library/ZlibInflater.h"
#include "platform/Files.h"

namespace {

constexpr std::uint32_t kInflateCapacity = 4096;

// Also for no bytes, so that a bad handle fails as WriteFile fails it.
bool WriteAll(vx::FileHandle file, const void* data, std::uint32_t size) {
  std::uint32_t done = 0;
  return vx::WriteFile(file, data, size, &done) && done == size;
}

}  // namespace

KARVO_API int DeflateDataToFile(vx::FileHandle file, const std::uint8_t* data, std::uint32_t size,
                                std::uint32_t* written, std::uint8_t level) {
  if (data == nullptr && size != 0) return 0;
  // The buffer holds the 4-byte length in front of the stream so that the chunk goes out in
  // one write; the stream's capacity is the classic 1.02 x size + 12.
  const auto capacity = static_cast<uLongf>(1.02 * double(size) + 12.0);
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[capacity + 4]());
  if (!buffer) return 0;
  uLongf streamLength = capacity;
  static const std::uint8_t kEmpty = 0;
  if (compress2(buffer.get() + 4, &streamLength, data ? data : &kEmpty, size,
                level == 2 ? 9 : Z_DEFAULT_COMPRESSION) != Z_OK)
    return 0;
  if (streamLength > 0xFFFFFFFFu - 4) return 0;
  const auto c = static_cast<std::uint32_t>(streamLength);
  if (written) *written = c;
  buffer[0] = std::uint8_t(c);
  buffer[1] = std::uint8_t(c >> 8);
  buffer[2] = std::uint8_t(c >> 16);
  buffer[3] = std::uint8_t(c >> 24);
  if (!WriteAll(file, buffer.get(), c + 4)) return 0;
  if (written) *written = c + 4;
  return 1;
}

KARVO_API int InflateDataToFile(vx::FileHandle file, const std::uint8_t* data, std::uint32_t size,
                                std::uint32_t* written) {
  if (written) *written = kInflateCapacity;
  if (data == nullptr) return 0;
  thread_local vx::ZlibInflater inflater;
  std::uint8_t out[kInflateCapacity];
  std::uint32_t produced = 0;
  const bool ok = inflater.Run(data, size, out, kInflateCapacity, &produced);
  if (written) *written = produced;
  if (!ok) return 0;
  return WriteAll(file, out, produced) ? 1 : 0;
}
