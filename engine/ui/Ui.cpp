#include "engine/ui/Ui.h"

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "engine/ui/HeadlessUi.h"

namespace vx {

namespace {

struct UiSlot {
  std::mutex mutex;
  std::unique_ptr<Ui> ui;
  std::function<std::unique_ptr<Ui>()> graphical;
};

UiSlot& Slot() {
  static UiSlot slot;
  return slot;
}

bool DisplayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

// $VX_UI: "headless", "qt", or "auto"/unset (the graphical UI when a display is there).
std::unique_ptr<Ui> UiFromEnvironment(const std::function<std::unique_ptr<Ui>()>& graphical) {
  const char* env = std::getenv("VX_UI");
  std::string_view mode = env ? env : "auto";
  bool wantGraphical = mode == "qt" || ((mode == "auto" || mode.empty()) && DisplayAvailable());
  if (wantGraphical && graphical) {
    if (std::unique_ptr<Ui> ui = graphical()) return ui;
  }
  // Without a graphical UI in this build (or one that cannot start) the run stays headless.
  return HeadlessUi::FromEnvironment();
}

}  // namespace

Ui& CurrentUi() {
  UiSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  if (!slot.ui) slot.ui = UiFromEnvironment(slot.graphical);
  return *slot.ui;
}

void SetUi(std::unique_ptr<Ui> ui) {
  UiSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.ui = std::move(ui);
}

void RegisterGraphicalUi(std::function<std::unique_ptr<Ui>()> factory) {
  UiSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.graphical = std::move(factory);
}

}  // namespace vx
