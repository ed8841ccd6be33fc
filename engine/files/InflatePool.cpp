#include "engine/files/InflatePool.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vx {

namespace {

struct DecompressorFree {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

libdeflate_decompressor* ThreadDecompressor() {
  thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> d(
      libdeflate_alloc_decompressor());
  return d.get();
}

}  // namespace

void InflateBatchHere(ChunkBatch& batch) {
  const std::size_t count = batch.chunks.size();
  for (;;) {
    std::size_t i = batch.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= count) return;
    ChunkSlot& c = batch.chunks[i];
    c.good = InflateChunk(batch.input.data() + c.offset, c.length,
                          batch.output.data() + i * pkg::kMaxChunkOutput, &c.inflated);
  }
}

bool InflateChunk(const std::uint8_t* stream, std::uint32_t length, std::uint8_t* out,
                  std::uint32_t* inflated) {
  libdeflate_decompressor* d = ThreadDecompressor();
  if (d == nullptr) return false;
  // Like a one-call uncompress into a 4096-byte buffer: the stream must end within the
  // input, carry a good checksum and inflate to at most 4096 bytes.
  std::size_t n = 0;
  if (libdeflate_zlib_decompress(d, stream, length, out, pkg::kMaxChunkOutput, &n) !=
      LIBDEFLATE_SUCCESS) {
    return false;
  }
  *inflated = static_cast<std::uint32_t>(n);
  return true;
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
