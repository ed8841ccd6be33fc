// The interface thread rule, as every windowed UI checks it: every window belongs to the
// interface thread, and workers reach it through the engine's dispatcher. A UI knows which
// thread is its interface thread; what a broken rule does is decided here.
#pragma once

namespace vx {

// Where a call was made, filled in at the caller as a default argument. (std::source_location
// is not there for every compiler the project builds with.)
struct CallSite {
  const char* file;
  unsigned line;
  const char* function;
  static CallSite Here(const char* file = __builtin_FILE(), unsigned line = __builtin_LINE(),
                       const char* function = __builtin_FUNCTION()) {
    return {file, line, function};
  }
};

// A window was used off the interface thread with the check on: says so, naming `where`, and
// aborts.
[[noreturn]] void BrokenThreadRule(CallSite where);

}  // namespace vx
