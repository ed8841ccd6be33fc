// zlib's own decoder with one state kept and reset for every chunk: what uncompress does
// (so the same streams are accepted and refused), without setting up a state per call.
// Header-only, so that Karvo.dll and the engine's reader use the same code.
#pragma once
#include <zlib.h>

#include <cstdint>

namespace vx {

class ZlibInflater {
 public:
  ZlibInflater() { ready_ = inflateInit(&stream_) == Z_OK; }
  ~ZlibInflater() {
    if (ready_) inflateEnd(&stream_);
  }
  ZlibInflater(const ZlibInflater&) = delete;
  ZlibInflater& operator=(const ZlibInflater&) = delete;

  // Inflates one complete zlib stream into `out`; false when the stream is damaged,
  // truncated or inflates to more than `capacity` bytes. `produced` is the bytes written
  // either way. Bytes after the stream's end are ignored, as uncompress ignores them, unless
  // `wholeInput` asks the stream to end exactly at the end of the input.
  bool Run(const std::uint8_t* in, std::uint32_t size, std::uint8_t* out, std::uint32_t capacity,
           std::uint32_t* produced, bool wholeInput = false) {
    *produced = 0;
    if (!ready_ || inflateReset(&stream_) != Z_OK) return false;
    stream_.next_in = const_cast<Bytef*>(in);
    stream_.avail_in = size;
    stream_.next_out = out;
    stream_.avail_out = capacity;
    const int rc = inflate(&stream_, Z_FINISH);
    *produced = capacity - stream_.avail_out;
    return rc == Z_STREAM_END && (!wholeInput || stream_.avail_in == 0);
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

}  // namespace vx
