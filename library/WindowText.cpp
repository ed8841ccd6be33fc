#include <mutex>
#include <string>

#include "library/Karvo.h"
#include "library/TextWindows.h"

namespace {

std::mutex& HooksMutex() {
  static std::mutex m;
  return m;
}

karvo::TextWindowHooks& Hooks() {
  static karvo::TextWindowHooks hooks;
  return hooks;
}

}  // namespace

namespace karvo {

void SetTextWindowHooks(TextWindowHooks hooks) {
  std::lock_guard<std::mutex> lock(HooksMutex());
  if (!hooks.getText || !hooks.setText) hooks = {};
  Hooks() = std::move(hooks);
}

}  // namespace karvo

// Appends the text to the window's text, with no separator of its own.
KARVO_API void AddTextToWindow(std::uintptr_t window, const char* text) {
  karvo::TextWindowHooks hooks;
  {
    std::lock_guard<std::mutex> lock(HooksMutex());
    hooks = Hooks();
  }
  if (!hooks.getText) return;
  std::string current;
  if (!hooks.getText(window, &current)) return;
  if (text == nullptr || *text == 0) return;
  current += text;
  hooks.setText(window, current);
}
