// The fuzz targets' check: a broken promise stops the run where libFuzzer sees it,
// after saying which check it was.
#pragma once
#include <cstdio>
#include <cstdlib>

namespace vx::fuzz {

inline void Require(bool condition, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "check failed at %s:%d\n", file, line);
  std::abort();
}

}  // namespace vx::fuzz
