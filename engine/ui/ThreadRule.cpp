#include "engine/ui/ThreadRule.h"

#include <cstdio>
#include <cstdlib>

namespace vx {

void BrokenThreadRule(CallSite where) {
  std::fprintf(stderr,
               "%s:%u: a window of the interface was used off the interface thread (in %s); "
               "workers reach the interface through the dispatcher\n",
               where.file, where.line, where.function);
  std::fflush(stderr);
  std::abort();
}

}  // namespace vx
