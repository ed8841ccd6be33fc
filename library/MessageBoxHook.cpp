#include "library/MessageBoxHook.h"

#include <atomic>
#include <cstdio>

#include "library/Karvo.h"

namespace {

std::atomic<KarvoMessageBox> g_messageBox{nullptr};

}  // namespace

KARVO_API void KarvoSetMessageBox(KarvoMessageBox fn) { g_messageBox.store(fn); }

namespace karvo {

int ShowLibraryMessage(const char* text, const char* caption, unsigned type) {
  if (KarvoMessageBox fn = g_messageBox.load()) return fn(text, caption, type);
  std::fprintf(stderr, "%s%s%s\n", caption ? caption : "", caption ? ": " : "", text);
  return 1;  // IDOK
}

}  // namespace karvo
