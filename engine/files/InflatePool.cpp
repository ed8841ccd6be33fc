#include "engine/files/InflatePool.h"

// libdeflate where the build has it; zlib alone does every chunk elsewhere (the Windows build).
#if __has_include(<libdeflate.h>)
#include <libdeflate.h>
#define VX_WITH_LIBDEFLATE 1
#endif
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "library/ZlibInflater.h"

namespace vx {

namespace {

#ifdef VX_WITH_LIBDEFLATE
struct DecompressorFree {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

libdeflate_decompressor* ThreadDecompressor() {
  thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> d(
      libdeflate_alloc_decompressor());
  return d.get();
}
#endif

// A deflate stream's bits, least significant first, never read past `end`.
class BitReader {
 public:
  BitReader(const std::uint8_t* p, const std::uint8_t* end) : p_(p), end_(end) {}

  // Tops the buffer up to at least 56 bits, or to all that is left of the input. Inlined so
  // that the reader lives in registers through the decoding loop.
  [[gnu::always_inline]] void Refill() {
    if (end_ - p_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p_, sizeof word);
      if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
      bits_ |= word << count_;
      p_ += (63 - count_) >> 3;
      count_ |= 56;
    } else {
      while (count_ <= 56 && p_ < end_) {
        bits_ |= std::uint64_t(*p_++) << count_;
        count_ += 8;
      }
    }
  }
  void RefillBelow(unsigned n) {
    if (count_ < n) Refill();
  }
  // Callers refill first; fewer than `n` buffered bits means the input ended.
  bool Has(unsigned n) const { return count_ >= n; }
  // The next `n` bits (n < 32); zeros stand in for bits past the end.
  std::uint32_t Peek(unsigned n) const {
    return static_cast<std::uint32_t>(bits_ & ((std::uint64_t(1) << n) - 1));
  }
  void Drop(unsigned n) {
    bits_ >>= n;
    count_ -= n;
  }
  // Has, Peek and Drop at once; false when the input ended first.
  bool Take(unsigned n, std::uint32_t* value) {
    if (!Has(n)) return false;
    *value = Peek(n);
    Drop(n);
    return true;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
  std::uint64_t bits_ = 0;
  unsigned count_ = 0;
};

// 7-bit values with their bits in reverse order.
constexpr auto kReversed7 = [] {
  std::array<std::uint8_t, 128> r{};
  for (unsigned v = 0; v < 128; ++v) {
    for (unsigned b = 0; b < 7; ++b)
      r[v] = static_cast<std::uint8_t>(r[v] | ((v >> b) & 1u) << (6 - b));
  }
  return r;
}();

// Decodes the code-length code of a dynamic block: 7-bit lookups, each entry the symbol in
// the low 5 bits and its code length above. False unless the code is complete (zlib refuses
// every other code-length code; libdeflate lets a one-symbol one also through).
bool BuildCodeLengthTable(const std::uint8_t (&lengths)[19], std::uint8_t (&table)[128]) {
  unsigned count[8] = {};
  for (std::uint8_t l : lengths) ++count[l];
  unsigned used = 0;
  for (unsigned l = 1; l <= 7; ++l) used += count[l] << (7 - l);
  if (used != 128) return false;
  unsigned next[8] = {};
  unsigned code = 0;
  count[0] = 0;
  for (unsigned l = 1; l <= 7; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = code;
  }
  for (unsigned sym = 0; sym < 19; ++sym) {
    const unsigned l = lengths[sym];
    if (l == 0) continue;
    // Huffman codes go most significant bit first into a stream read least significant first.
    const unsigned reversed = kReversed7[next[l]++ << (7 - l)];
    for (unsigned i = reversed; i < 128; i += 1u << l)
      table[i] = static_cast<std::uint8_t>(sym | l << 5);
  }
  return true;
}

// True when the stream is one that libdeflate decodes exactly as zlib does: a good zlib
// header, then a first block that is also the last, either stored or dynamic with codes zlib
// takes as they are. libdeflate is more lenient elsewhere: in fixed blocks it reads the
// reserved length symbols 286 and 287 as 258, it allows 287-288 length and 31-32 distance
// codes, a code-length run past the last length, an empty distance code (as distance 1) and
// both bit patterns of a one-symbol code. Packed chunks never need any of that (zlib's
// encoder always builds complete codes of at least two symbols); such streams, fixed blocks
// and multi-block streams go to zlib, which also settles everything this check refuses.
// Builds without libdeflate have no use for it.
[[maybe_unused]] bool DecodesAlike(const std::uint8_t* stream, std::uint32_t length) {
  if (length < 2) return false;
  const unsigned cmf = stream[0];
  const unsigned flg = stream[1];
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (flg & 0x20) != 0 || (cmf << 8 | flg) % 31 != 0)
    return false;
  BitReader in(stream + 2, stream + length);
  in.Refill();
  std::uint32_t head = 0;
  if (!in.Take(3, &head)) return false;
  if (head == 1) return true;   // final, stored
  if (head != 5) return false;  // anything but final and dynamic
  std::uint32_t hlit = 0, hdist = 0, hclen = 0;
  if (!in.Take(5, &hlit) || !in.Take(5, &hdist) || !in.Take(4, &hclen)) return false;
  if (hlit > 29 || hdist > 29) return false;
  const unsigned lengthCodes = hlit + 257;
  const unsigned all = lengthCodes + hdist + 1;

  static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                              11, 4,  12, 3, 13, 2, 14, 1, 15};
  std::uint8_t codeLengths[19] = {};
  for (unsigned i = 0; i < hclen + 4; ++i) {
    in.RefillBelow(3);
    std::uint32_t l = 0;
    if (!in.Take(3, &l)) return false;
    codeLengths[kOrder[i]] = static_cast<std::uint8_t>(l);
  }
  std::uint8_t table[128];
  if (!BuildCodeLengthTable(codeLengths, table)) return false;

  // Only the sums of the codes' proportions are needed, not the lengths themselves:
  // 2^(15 - length) per code, and a complete code sums to exactly 2^15. Kept as the sum of
  // both codes and the distance code's, in registers (no stores in the loop).
  static constexpr std::uint32_t kShare[16] = {
      0,       1u << 14, 1u << 13, 1u << 12, 1u << 11, 1u << 10, 1u << 9, 1u << 8,
      1u << 7, 1u << 6,  1u << 5,  1u << 4,  1u << 3,  1u << 2,  1u << 1, 1};
  std::uint32_t bothSum = 0, distSum = 0;
  unsigned previous = 0;
  for (unsigned i = 0; i < all;) {
    in.RefillBelow(14);  // a code of up to 7 bits and up to 7 extra bits
    const unsigned entry = table[in.Peek(7)];
    const unsigned bits = entry >> 5;
    if (!in.Has(bits)) return false;
    in.Drop(bits);
    const unsigned sym = entry & 31;
    if (sym < 16) {
      if (sym == 0 && i == 256) return false;  // no end-of-block code
      const std::uint32_t share = kShare[sym];
      bothSum += share;
      distSum += i >= lengthCodes ? share : 0;
      previous = sym;
      ++i;
      continue;
    }
    std::uint32_t extra = 0;
    unsigned value = 0;
    std::uint32_t run = 0;
    if (sym == 16) {
      if (i == 0) return false;  // nothing to repeat
      if (!in.Take(2, &extra)) return false;
      value = previous;
      run = 3 + extra;
    } else if (sym == 17) {
      if (!in.Take(3, &extra)) return false;
      run = 3 + extra;
    } else {
      if (!in.Take(7, &extra)) return false;
      run = 11 + extra;
    }
    if (run > all - i) return false;  // past the last length
    if (value != 0) {
      // A run may go on from the last literal/length code into the distance codes.
      const std::uint32_t inLit = i < lengthCodes ? std::min(run, lengthCodes - i) : 0;
      bothSum += run * kShare[value];
      distSum += (run - inLit) * kShare[value];
    } else if (i <= 256 && 256 < i + run) {
      return false;  // no end-of-block code
    }
    previous = value;
    i += run;
  }
  return bothSum == 2u << 15 && distSum == 1u << 15;
}

}  // namespace

// Chunks are claimed in runs that one thread inflates in order, so that each chunk but a
// run's last may be given room for the most a chunk holds (decoders are fastest with room to
// spare). What a decoder leaves past a chunk's end lands in the next slot of its own run,
// which is inflated afterwards; a run's last chunk borders another thread's run and gets its
// own slot alone.
constexpr std::size_t kClaim = 16;

void InflateBatchHere(ChunkBatch& batch) {
  const std::size_t count = batch.chunks.size();
  for (;;) {
    const std::size_t first = batch.next.fetch_add(kClaim, std::memory_order_relaxed);
    if (first >= count) return;
    const std::size_t end = std::min(count, first + kClaim);
    for (std::size_t i = first; i < end; ++i) {
      ChunkSlot& c = batch.chunks[i];
      const auto room =
          static_cast<std::uint32_t>(std::min(pkg::kMaxChunkOutput, (end - i) * pkg::kBlockSize));
      c.good = InflateChunk(batch.input.data() + c.offset, c.length,
                            batch.output.data() + i * pkg::kBlockSize, &c.inflated, room) &&
               c.inflated <= pkg::kBlockSize;
    }
  }
}

bool InflateChunk(const std::uint8_t* stream, std::uint32_t length, std::uint8_t* out,
                  std::uint32_t* inflated, std::uint32_t capacity) {
  // A chunk is good exactly when a one-call uncompress into 4096 bytes takes it and its
  // stream fills the chunk: the stream ends exactly at the chunk's end, its checksum holds
  // and it inflates to at most 4096 bytes. Bytes behind the stream (a second stream, say)
  // would be data lost from the file without a word, so such a chunk is damaged.
  // libdeflate is much faster but more lenient; it runs only where it cannot differ.
#ifdef VX_WITH_LIBDEFLATE
  libdeflate_decompressor* d = DecodesAlike(stream, length) ? ThreadDecompressor() : nullptr;
  if (d != nullptr) {
    std::size_t n = 0, used = 0;
    if (libdeflate_zlib_decompress_ex(d, stream, length, out, capacity, &used, &n) !=
            LIBDEFLATE_SUCCESS ||
        used != length) {
      return false;
    }
    *inflated = static_cast<std::uint32_t>(n);
    return true;
  }
#endif
  thread_local ZlibInflater zlib;
  return zlib.Run(stream, length, out, capacity, inflated,
                  /*wholeInput=*/true);
}

void ChunkBatch::KeepTail() {
  std::size_t tail = filled - parsed;
  if (tail != 0 && parsed != 0) std::memmove(input.data(), input.data() + parsed, tail);
  filled = tail;
  parsed = 0;
  chunks.clear();
  next.store(0, std::memory_order_relaxed);
}

void ChunkBatch::StartFrom(const ChunkBatch& from) {
  std::size_t tail = from.filled - from.parsed;
  if (tail != 0) std::memcpy(input.data(), from.input.data() + from.parsed, tail);
  filled = tail;
  parsed = 0;
  chunks.clear();
  next.store(0, std::memory_order_relaxed);
}

InflatePool& InflatePool::Shared() {
  static InflatePool pool([] {
    unsigned cores = std::thread::hardware_concurrency();
    // The caller inflates too, so one worker per further core; a few suffice to outrun I/O.
    return static_cast<int>(std::clamp(cores, 2u, 8u) - 1);
  }());
  return pool;
}

InflatePool::InflatePool(int workers) {
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

InflatePool::~InflatePool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void InflatePool::WorkerLoop() {
  std::uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (job_ != nullptr && generation_ != seen); });
    if (stopping_) return;
    seen = generation_;
    ChunkBatch* batch = job_;
    ++active_;
    lock.unlock();
    InflateBatchHere(*batch);
    lock.lock();
    if (--active_ == 0) left_.notify_all();
  }
}

void InflatePool::Submit(ChunkBatch& batch) {
  batch.next.store(0, std::memory_order_relaxed);
  {
    std::lock_guard lock(mutex_);
    job_ = &batch;
    ++generation_;
  }
  wake_.notify_all();
}

void InflatePool::Finish(ChunkBatch& batch) {
  InflateBatchHere(batch);
  std::unique_lock lock(mutex_);
  if (job_ == &batch) job_ = nullptr;  // no worker joins it any more
  // A worker leaves only after its last claim came back empty, so once none is inside,
  // every chunk has been inflated and the batch may be reused.
  left_.wait(lock, [&] { return active_ == 0; });
}

bool InflatePool::TryAcquire() { return use_.try_lock(); }
void InflatePool::Release() { use_.unlock(); }

}  // namespace vx
