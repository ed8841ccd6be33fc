// A vendor library for the library-call action tests: C exports with the engine's two call
// forms (no argument, one read-only text).
#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int ReturnsZero() { return 0; }
EXPORT int ReturnsSeven() { return 7; }
// Non-zero when the argument is exactly "yes".
EXPORT int IsYes(const char* text) { return text && std::strcmp(text, "yes") == 0; }
