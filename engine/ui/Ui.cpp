#include "engine/ui/Ui.h"

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "engine/base/EngineRun.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/ui/UiFront.h"
#include "engine/ui/WizardRunner.h"
#include "platform/Dispatcher.h"

namespace vx {

// The UI front of the run state; it lives for the whole process.
struct UiSlot {
  std::mutex mutex;
  Dispatcher dispatcher;
  UiFront front{dispatcher};
  std::function<std::unique_ptr<Ui>()> graphical;
  std::string graphicalName;  // the $VX_UI word that asks for it
  // The thread that first reaches the UI is the interface thread until a modal loop binds
  // its own.
  UiSlot() { dispatcher.BindToCurrentThread(); }
};

namespace {

UiSlot& Slot() {
  EngineRun& run = CurrentRun();
  std::lock_guard lock(run.uiMutex);
  if (!run.ui) run.ui = std::make_shared<UiSlot>();
  return *run.ui;
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

#ifdef _WIN32
// Windows has its desktop; the interface itself tells whether it can make windows there.
bool DisplayAvailable() { return true; }
#else
bool DisplayAvailable() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY"); }
#endif

std::string_view Mode() {
  const char* env = std::getenv("VX_UI");
  return env ? env : "auto";
}

bool NamesGraphical(std::string_view mode) { return mode == "qt" || mode == "win32"; }

// $VX_UI: "headless", "qt", "win32", or "auto"/unset (the graphical UI when a display is
// there).
std::unique_ptr<Ui> UiFromEnvironment(const std::function<std::unique_ptr<Ui>()>& graphical) {
  std::string_view mode = Mode();
  bool wantGraphical =
      NamesGraphical(mode) || ((mode == "auto" || mode.empty()) && DisplayAvailable());
  if (wantGraphical && graphical) {
    if (std::unique_ptr<Ui> ui = graphical()) return ui;
  }
  // Without a graphical UI in this build (or one that cannot start) the run stays headless.
  return HeadlessUi::FromEnvironment();
}

}  // namespace

bool Ui::ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts) {
  std::string text;
  for (std::size_t i = 0; i < texts.size(); ++i) text += (i ? "\r\n\r\n" : "") + texts[i];
  return MessageBox(caption, text, kMbOkCancel | kMbIconExclamation) == kIdOk;
}

std::string UiSelectionError() {
  const std::string mode(Mode());
  if (!NamesGraphical(mode)) return {};
  bool built;
  std::string name;
  {
    UiSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    built = static_cast<bool>(slot.graphical);
    name = slot.graphicalName;
  }
  if (!built) return "VX_UI=" + mode + ": this build has no graphical interface";
  if (name != mode) return "VX_UI=" + mode + ": this build's windows are " + name + "'s";
  // The Win32 windows need no display variable (Windows has its desktop).
  if (mode != "qt") return {};
  // Qt's own platform choice (offscreen, a VNC server ...) counts as a display.
  if (!DisplayAvailable() && !Set("QT_QPA_PLATFORM"))
    return "VX_UI=qt: no display (neither DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM is set)";
  return {};
}

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
  while (!finished()) dispatcher.Pump(Dispatcher::kRefreshMs);
}

void Ui::WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done) {
  while (!done()) dispatcher.Pump(10);
}

void RegisterGraphicalUi(std::function<std::unique_ptr<Ui>()> factory, std::string name) {
  UiSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.graphical = std::move(factory);
  slot.graphicalName = std::move(name);
}

}  // namespace vx
