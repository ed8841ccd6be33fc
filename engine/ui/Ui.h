// The interface through which the engine shows something or asks the user. Three
// implementations: headless (scripted answers), Qt, and the Win32 windows of the Windows build.
// Logic never includes GUI headers.
//
// The thread rule: every call reaches a Ui on the interface thread. Worker threads (the
// installation, the preparation, the file search) never call one directly: the engine's UI
// front (CurrentUi()) forwards their calls through the dispatcher, waiting for questions and
// posting progress updates, so that an implementation only ever runs on one thread.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vx {

class Dispatcher;
class InstallWizard;
enum class WizardOutcome;

// Message box types (MB_*), as on Windows.
enum : std::uint32_t {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbAbortRetryIgnore = 0x2,
  kMbYesNoCancel = 0x3,
  kMbYesNo = 0x4,
  kMbRetryCancel = 0x5,
  kMbTypeMask = 0xF,
  kMbIconStop = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30,
  kMbIconInformation = 0x40,
  kMbIconMask = 0xF0,
};

// Dialog results (ID*), as on Windows.
enum : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbort = 3,
  kIdRetry = 4,
  kIdIgnore = 5,
  kIdYes = 6,
  kIdNo = 7
};

// A window that shows the progress of a phase: a heading line, a detail line and a bar.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void SetHeading(const std::string& text) = 0;
  virtual void SetDetail(const std::string& text) = 0;
  virtual void SetPosition(int percent) = 0;  // 0 to 100
  virtual void HideCancel() {}
  virtual void Show(bool visible) {}
};

class Ui {
 public:
  virtual ~Ui() = default;

  // `type` is complete (buttons and icon); returns the kId* of the button taken.
  virtual int MessageBox(const std::string& caption, const std::string& text,
                         std::uint32_t type) = 0;
  // Yes / Yes to all / No / No to all: 0 to 3; closed any other way: 2.
  virtual int FourChoice(const std::string& caption, const std::string& question,
                         const std::vector<std::string>& buttonTexts) = 0;
  // A question with an edit field (disk prompt, file search folder): false on Cancel.
  virtual bool AskText(const std::string& caption, const std::string& text, std::string& value) = 0;
  // A list to choose from: the index taken, or -1 when closed without OK.
  virtual int ChooseFromList(const std::string& caption, const std::string& prompt,
                             const std::vector<std::string>& items, int preselected) = 0;
  // Waits for an arrow key while a pause action runs: -1 for Left/Up, +1 for Right/Down,
  // 0 when none is available yet (the caller polls).
  virtual int PollArrowKey() { return 0; }
  // A progress window for a phase (preparation, installation, uninstall, extraction).
  virtual std::unique_ptr<ProgressView> CreateProgress(const std::string& title) = 0;
  virtual void Beep() {}
  virtual bool IsHeadless() const = 0;

  // Leads the user through a filled wizard; `confirmQuit` is the main window's quit
  // confirmation. Default: the walk through dialogs of WizardRunner.h.
  virtual WizardOutcome RunWizard(InstallWizard& wizard, const std::function<bool()>& confirmQuit);
  // The main window's loop: runs dispatched calls (the main-window messages are dispatched
  // calls too) until finished() is true. Default: pumps the dispatcher.
  virtual void RunMainLoop(Dispatcher& dispatcher, const std::function<bool()>& finished);
  // The interface thread waits for a worker (preparation, file search) while dispatched
  // calls keep running. Default: pumps the dispatcher until done().
  virtual void WaitModal(Dispatcher& dispatcher, const std::function<bool()>& done);

  // The uninstall confirmation: its caption and texts (one under the other), OK and Cancel;
  // true for OK. Default: one message box holding the texts.
  virtual bool ConfirmUninstall(const std::string& caption, const std::vector<std::string>& texts);
  // The splash picture at start-up; returns once the splash is gone. Default: none.
  virtual void ShowSplash(const std::string& image) {}
  // The main window, created by start-up (false ends it) and laid out from the script before
  // setup begins. Default: there is none.
  virtual bool CreateMainWindow() { return true; }
  virtual void LayoutMainWindow() {}
  // The bulletin board: the main window shows this picture from now on. Sent, so that the
  // name has been taken when the call returns. Default: nothing is shown.
  virtual void SetBulletin(const std::string& image) {}
  // The scripted answers no dialog has taken yet, in order (a run handing over to another
  // engine process passes them on). Default: none.
  virtual std::vector<std::string> UnusedAnswers() const { return {}; }
  // The scripted answer the last dialog took (VX_ANSWERS) holds a value that the engine
  // cannot use (a component row that does not exist, an empty folder): refuse it as a
  // dialog refuses an answer that does not fit (engine/ui/AnswerCheck.h).
  virtual void RefuseLastAnswer(const std::string& dialog, const std::string& accepts) {}
};

// The UI of this process, as the front that any thread may call: it lives for the whole
// process and forwards to the implementation set at start (from $VX_UI, headless by default)
// or by SetUi, through UiDispatcher() when called off the interface thread.
Ui& CurrentUi();
void SetUi(std::unique_ptr<Ui> ui);
// The implementation behind the front, for what only it knows (the answers a headless UI
// did not use); call it on the interface thread.
std::shared_ptr<Ui> UiImplementation();
// The dispatcher between the engine's workers and its interface thread.
Dispatcher& UiDispatcher();
// The graphical UI's maker, registered by a program built with it under the $VX_UI word that
// names it ("qt", or "win32" in the Windows build). CurrentUi() uses it when $VX_UI names it
// (or is "auto" with a display); a null result falls back to headless.
void RegisterGraphicalUi(std::function<std::unique_ptr<Ui>()> factory, std::string name = "qt");
// Why $VX_UI asks for something this process cannot give (windows without a display, or
// in a build without them); "" when the request can be met. A program checks it at start:
// an explicit request for windows never turns into an unattended run.
std::string UiSelectionError();

}  // namespace vx
