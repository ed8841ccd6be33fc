// Inflates batches of package chunks on every core. Chunks are independent zlib streams, so
// a batch is split among a small set of persistent workers and the calling thread; the
// results come back in slots, in package order, for one large write.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/files/PackageFormat.h"

namespace vx {

struct ChunkSlot {
  std::uint32_t offset = 0;  // of the stream in ChunkBatch::input
  std::uint32_t length = 0;  // stream length
  std::uint32_t inflated = 0;
  bool good = false;
};

struct ChunkBatch {
  std::vector<std::uint8_t> input;  // raw package bytes; streams point into it
  std::size_t filled = 0;           // bytes of input in use
  std::size_t parsed = 0;           // input bytes taken into chunks so far
  std::vector<ChunkSlot> chunks;
  // Slot i at i * kBlockSize: the writer's chunks fill their slots end to end, so a batch
  // is written as it stands. A chunk that holds more is not good here (see InflateChunk).
  std::vector<std::uint8_t> output;
  std::atomic<std::size_t> next{0};  // next chunk to claim while inflating

  // Keeps the bytes after the last whole chunk (a chunk still being gathered) at the front.
  void KeepTail();
  // Starts over with the tail of `from` as its first bytes.
  void StartFrom(const ChunkBatch& from);
};

// One chunk: a complete zlib stream that ends exactly at the chunk's end and whose output
// fits in `capacity` bytes (a good chunk holds at most kMaxChunkOutput).
bool InflateChunk(const std::uint8_t* stream, std::uint32_t length, std::uint8_t* out,
                  std::uint32_t* inflated,
                  std::uint32_t capacity = static_cast<std::uint32_t>(pkg::kMaxChunkOutput));

// Inflates every unclaimed chunk of a batch on the calling thread.
void InflateBatchHere(ChunkBatch& batch);

class InflatePool {
 public:
  // The process's pool (created on first use; one worker per core beyond the caller's). It
  // stays outside the run state: it holds only threads and the batch a reader lends it while
  // the reader waits, nothing of a run, so a fresh run has nothing to reset in it.
  static InflatePool& Shared();

  // Hands the batch's chunks to the workers; the caller goes on with other work.
  void Submit(ChunkBatch& batch);
  // Inflates what the workers have not claimed yet, then waits until they left the batch.
  // Also right for a batch that was never submitted (the caller then does all the work).
  void Finish(ChunkBatch& batch);
  // One extraction at a time uses the workers; another one inflates on its own thread.
  bool TryAcquire();
  void Release();

  int Workers() const { return static_cast<int>(threads_.size()); }

  explicit InflatePool(int workers);
  ~InflatePool();
  InflatePool(const InflatePool&) = delete;
  InflatePool& operator=(const InflatePool&) = delete;

 private:
  void WorkerLoop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable left_;
  ChunkBatch* job_ = nullptr;
  std::uint64_t generation_ = 0;
  int active_ = 0;  // workers inside the current job
  bool stopping_ = false;
  std::mutex use_;
  std::vector<std::thread> threads_;
};

}  // namespace vx
