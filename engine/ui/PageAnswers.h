// Scripted answers on a wizard page shown in windows: each page takes its answers in the order
// and with the meaning its answer rule gives them (PageTable.h; the headless walker reads the
// same rule), and works the page's controls through PageControls, so that every windowed UI
// takes, records and refuses the same answers and leaves the same machine. A UI lends only its
// toolkit's calls.
#pragma once
#include <string>

#include "engine/ui/AnswerCheck.h"
#include "engine/ui/WizardSheet.h"

namespace vx {

// What a UI's wizard lends the answers: the run's answers, the sheet's buttons and the current
// page's controls. Each control is asked for only on the page kind that has it.
class PageControls {
 public:
  virtual ~PageControls() = default;

  // The next answer (an empty one for the default when none is left).
  virtual ScriptedAnswer Take() = 0;
  // One line per dialog the page stands for: caption, text, answer.
  virtual void Record(const std::string& caption, const std::string& text,
                      const std::string& answer) = 0;
  // A picture of the sheet, taken once the answers are in the page.
  virtual void Snapshot() = 0;
  // The sheet's buttons, pressed as a click does; Cancel asks to quit.
  virtual void PressNext() = 0;
  virtual void PressCancel() = 0;
  virtual void PressFinish() = 0;

  // User information: fields 0 to 2 (name, company, e-mail).
  virtual bool FieldAsked(int field) = 0;
  virtual std::string FieldLabel(int field) = 0;
  virtual void TypeField(int field, const std::string& value) = 0;
  // The field the last Next found empty; -1 when none.
  virtual int EmptyField() = 0;

  // The install type list.
  virtual int TypeCount() = 0;
  virtual void PickType(int row) = 0;  // as a click or an arrow key selects it

  // The component rows.
  virtual std::string ComponentsPrompt() = 0;  // the text the page's line records
  virtual int RowCount() = 0;
  virtual bool RowEnabled(int row) = 0;
  virtual bool RowChecked(int row) = 0;
  virtual void ToggleRow(int row) = 0;  // as a click or Space does
  virtual void TickUninstallAll() = 0;  // ticks it when it is not ticked

  // The destination rows, 0 to kDestinationRows - 1.
  virtual bool PathAsked(int row) = 0;  // shown and editable
  virtual std::string PathLabel(int row) = 0;
  virtual std::string ShownPath(int row) = 0;  // the drive and the directory as shown
  // Picks the drive as the user does (the page hears a change when it is another one); a
  // drive the list lacks leaves no drive picked.
  virtual void PickDrive(int row, const std::string& drive) = 0;
  virtual void TypeDirectory(int row, const std::string& directory) = 0;
};

// Answers `page`, the page shown; it ends by pressing Next, Cancel or Finish.
void AnswerPage(const WizardPage& page, PageControls& controls);
// `page` kept the wizard after a scripted Next: an empty user field is asked again and Next
// pressed once more; any other page asks to quit, as the script cannot mend it.
void AnswerStayedPage(const WizardPage& page, PageControls& controls);

}  // namespace vx
