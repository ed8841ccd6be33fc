// The fuzz targets' check: a broken promise stops the run where libFuzzer sees it.
#pragma once
#include <cstdlib>

namespace vx::fuzz {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace vx::fuzz
