// Work over many independent items, spread over a few threads.
#pragma once
#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace vx {

// Calls `work(i)` for every i below `count`, on `jobs` threads (the caller's among them),
// each taking every jobs-th item. Returns when all are done; `work` must be safe to run
// concurrently for different i.
template <class Work>
void SpreadOverThreads(std::size_t count, std::size_t jobs, const Work& work) {
  jobs = std::max<std::size_t>(1, std::min(jobs, count));
  auto stride = [&](std::size_t from) {
    for (std::size_t i = from; i < count; i += jobs) work(i);
  };
  std::vector<std::thread> threads;
  for (std::size_t t = 1; t < jobs; ++t) threads.emplace_back(stride, t);
  stride(0);
  for (std::thread& t : threads) t.join();
}

}  // namespace vx
