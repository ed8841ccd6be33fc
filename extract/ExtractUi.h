// What the extractor shows: a small progress dialog without caption (a label, a bar with
// range 1 to 100 and a Cancel button), message boxes and the cancel question. Every call
// comes from the dialog thread. Without a display the terminal implementation draws the bar
// on standard error; Ctrl-C stands for the Cancel button.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace vx::extract {

class ExtractUi {
 public:
  virtual ~ExtractUi() = default;

  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual void SetLabel(const std::string& text) = 0;
  virtual void SetProgress(int position) = 0;  // 1 to 100
  // A message box with an OK button and no caption.
  virtual void ShowMessage(const std::string& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void Beep() = 0;
  // True once for every press of Cancel since the last call.
  virtual bool TakeCancelClick() = 0;
  // After an extraction failed the dialog waits for Cancel, which needs someone to press
  // it. A UI without a user answers false and the dialog closes at once instead.
  virtual bool CanWaitForUser() const = 0;
};

// The UI for this process: $VX_UI naming the graphical dialog the program is built with ("qt"
// on Linux, "win32" on Windows), or "auto"/unset when it can show windows, gives that dialog;
// anything else the terminal.
std::unique_ptr<ExtractUi> CreateExtractUi();
// The graphical dialog of a program built with one.
struct GraphicalExtractUi {
  std::string mode;  // the $VX_UI value that names it
  // Why it cannot show windows now, "" when it can; `asked`: $VX_UI names it.
  std::function<std::string(bool asked)> unavailable;
  std::function<std::unique_ptr<ExtractUi>()> make;
};
// One without a maker forgets the registered one.
void RegisterGraphicalExtractUi(GraphicalExtractUi ui);
// Why $VX_UI asks for windows this process cannot show; "" when it can.
std::string ExtractUiSelectionError();

}  // namespace vx::extract
