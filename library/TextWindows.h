// The text windows that AddTextToWindow reaches. The library has no windows of its own: the
// user interface registers how a window handle's text is read and replaced. C++ linkage,
// for the engine only; other programs see just the C exports of Karvo.h.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#if defined(_WIN32) && defined(VX_BUILDING_KARVO)
#define KARVO_HOOK_API __declspec(dllexport)
#elif defined(_WIN32)
#define KARVO_HOOK_API __declspec(dllimport)
#else
#define KARVO_HOOK_API __attribute__((visibility("default")))
#endif

namespace karvo {

struct TextWindowHooks {
  // The window's whole text; false when no text window is behind the handle.
  std::function<bool(std::uintptr_t window, std::string* text)> getText;
  // Replaces the window's whole text.
  std::function<void(std::uintptr_t window, const std::string& text)> setText;
};

// Installs the hooks (hooks with an empty function remove them). Safe from any thread.
KARVO_HOOK_API void SetTextWindowHooks(TextWindowHooks hooks);

}  // namespace karvo
