#include "engine/ui/Ui.h"

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "engine/ui/HeadlessUi.h"
#include "engine/ui/UiFront.h"
#include "engine/ui/WizardRunner.h"
#include "platform/Dispatcher.h"

namespace vx {

namespace {

struct UiSlot {
  std::mutex mutex;
  Dispatcher dispatcher;
  UiFront front{dispatcher};
  std::function<std::unique_ptr<Ui>()> graphical;
  // The thread that first reaches the UI is the interface thread until a modal loop binds
  // its own.
  UiSlot() { dispatcher.BindToCurrentThread(); }
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
  if (!slot.front.Target()) slot.front.Set(UiFromEnvironment(slot.graphical));
  return slot.front;
}

void SetUi(std::unique_ptr<Ui> ui) {
  UiSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.front.Set(std::move(ui));
}

Dispatcher& UiDispatcher() { return Slot().dispatcher; }

std::shared_ptr<Ui> UiImplementation() {
  CurrentUi();
  return Slot().front.Target();
}

WizardOutcome Ui::RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit) {
  return vx::RunWizard(wizard, *this, confirmQuit);
}

void Ui::RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished) {
  while (!finished()) dispatcher.Pump(50);
}

void Ui::WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) {
  while (!done()) dispatcher.Pump(10);
}

void RegisterGraphicalUi(std::function<std::unique_ptr<Ui>()> factory) {
  UiSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.graphical = std::move(factory);
}

}  // namespace vx
