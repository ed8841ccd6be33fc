#include "engine/ui/PageAnswers.h"

#include <optional>
#include <vector>

#include "engine/base/PathOps.h"
#include "engine/base/Texts.h"
#include "engine/ui/PageTable.h"
#include "engine/ui/Ui.h"
#include "engine/ui/WizardPages.h"

namespace vx {

namespace {

class PageAnswers {
 public:
  PageAnswers(const WizardPage& page, PageControls& controls)
      : page_(page), c_(controls), title_(page.title) {}

  void Run() {
    const PageRow& row = PageRowOf(page_.kind);
    switch (row.rule) {
      case PageAnswerRule::Confirm:
        Confirm(row);
        break;
      case PageAnswerRule::Acknowledge:
        Acknowledge(row);
        break;
      case PageAnswerRule::Fields:
        UserInfo();
        break;
      case PageAnswerRule::Choice:
        Type();
        break;
      case PageAnswerRule::Rows:
        Components();
        break;
      case PageAnswerRule::Paths:
        Destinations();
        break;
    }
  }

  void Stayed() {
    if (PageRowOf(page_.kind).rule == PageAnswerRule::Fields) {
      const int empty = c_.EmptyField();
      if (empty >= 0 && Field(empty)) {
        c_.PressNext();
        return;
      }
    }
    c_.PressCancel();
  }

 private:
  // True when the run's answers were refused (this one, when `accepts` says what fits).
  static bool Refused(const ScriptedAnswer& answer, const std::string& dialog,
                      const std::string& accepts) {
    if (!accepts.empty()) RefuseAnswer({answer, dialog, accepts});
    return AnswersRefused();
  }

  // The box's button the answer takes; a refused one takes the closing button.
  int BoxButton(const PageRow& row, const std::string& text) {
    ScriptedAnswer answer = c_.Take();
    std::string accepts;
    std::optional<int> id = MessageBoxAnswer(answer.text, row.answerBox, accepts);
    if (Refused(answer, DialogName(title_, text), accepts)) id = ClosingButton(row.answerBox);
    c_.Record(title_, text, ButtonWord(*id));
    return *id;
  }

  // Answered as a message box of the row's type: its agreeing button goes on, any other asks
  // to quit.
  void Confirm(const PageRow& row) {
    const int id = BoxButton(row, row.text());
    c_.Snapshot();
    if (id == AgreeingButton(row.answerBox))
      c_.PressNext();
    else
      c_.PressCancel();
  }

  void Acknowledge(const PageRow& row) {
    BoxButton(row, row.text());
    c_.Snapshot();
    c_.PressFinish();
  }

  void UserInfo() {
    for (int i = 0; i < kUserInfoFields; ++i)
      if (c_.FieldAsked(i)) Field(i);
    if (AnswersRefused()) {
      c_.PressCancel();
      return;
    }
    c_.Snapshot();
    c_.PressNext();
  }
  // Types the answer into the field; false when the answer was no text and no OK.
  bool Field(int i) {
    const std::string label = c_.FieldLabel(i);
    ScriptedAnswer answer = c_.Take();
    std::string accepts;
    std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
    if (Refused(answer, DialogName(title_, label), accepts)) taken = TextAnswer{};
    if (taken->value) c_.TypeField(i, *taken->value);
    c_.Record(title_, label, !taken->ok ? "cancel" : taken->value ? "text:" + *taken->value : "ok");
    return taken->ok;
  }

  void Type() {
    const int count = c_.TypeCount();
    const std::string prompt = LoadText(TextId::SelectType);
    ScriptedAnswer answer = c_.Take();
    std::string accepts;
    std::optional<int> choice = ListAnswer(answer.text, count, count > 0 ? 0 : -1, accepts);
    if (Refused(answer, DialogName(title_, prompt), accepts)) choice = -1;
    c_.Record(title_, prompt, *choice < 0 ? "cancel" : std::to_string(*choice));
    if (*choice >= 0) c_.PickType(*choice);
    c_.Snapshot();
    if (*choice < 0)
      c_.PressCancel();
    else
      c_.PressNext();
  }

  void Components() {
    const std::string prompt = c_.ComponentsPrompt();
    ScriptedAnswer answer = c_.Take();
    std::string accepts;
    std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
    if (Refused(answer, DialogName(title_, prompt), accepts)) {
      c_.Record(title_, prompt, "cancel");
      c_.PressCancel();
      return;
    }
    // Without a value (ok, cancel, the default) the ticks stay as they are.
    std::optional<std::string> value = taken->ok ? taken->value : std::nullopt;
    c_.Record(title_, prompt, !taken->ok ? "cancel" : value ? "text:" + *value : "ok");
    if (value && page_.maintenanceMode && *value == "uninstall-all") {
      c_.TickUninstallAll();
    } else if (value) {
      const int count = c_.RowCount();
      std::optional<std::vector<int>> rows = RowsAnswer(*value, count, accepts);
      if (!rows) {
        if (page_.maintenanceMode) accepts += " or text:uninstall-all";
        Refused(answer, title_, accepts);
        c_.PressCancel();
        return;
      }
      std::vector<bool> want(static_cast<std::size_t>(count), false);
      for (int i : *rows) want[static_cast<std::size_t>(i)] = true;
      for (int i = 0; i < count; ++i)
        if (c_.RowEnabled(i) && c_.RowChecked(i) != want[static_cast<std::size_t>(i)])
          c_.ToggleRow(i);
    }
    c_.Snapshot();
    c_.PressNext();
  }

  void Destinations() {
    for (int n = 0; n < kDestinationRows; ++n) {
      if (!c_.PathAsked(n)) continue;
      const std::string label = c_.PathLabel(n);
      ScriptedAnswer answer = c_.Take();
      std::string accepts;
      std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
      if (Refused(answer, DialogName(title_, label), accepts)) {
        c_.Record(title_, label, "cancel");
        c_.PressCancel();
        return;
      }
      if (!taken->ok || !taken->value) {
        c_.Record(title_, label, taken->ok ? "ok" : "cancel");
        continue;
      }
      const std::string& value = *taken->value;
      c_.Record(title_, label, "text:" + value);
      std::string drive, directory;
      SplitDrivePath(value, drive, directory);
      if (value != c_.ShownPath(n) && Trim(directory).empty()) {
        // The wizard's own check: a destination is a folder, never a drive's root or nothing.
        Refused(answer, title_ + ": " + label, kFolderAnswerAccepts);
        c_.PressCancel();
        return;
      }
      c_.PickDrive(n, drive);
      c_.TypeDirectory(n, directory);
    }
    c_.Snapshot();
    c_.PressNext();
  }

  const WizardPage& page_;
  PageControls& c_;
  const std::string title_;
};

}  // namespace

void AnswerPage(const WizardPage& page, PageControls& controls) {
  PageAnswers(page, controls).Run();
}

void AnswerStayedPage(const WizardPage& page, PageControls& controls) {
  PageAnswers(page, controls).Stayed();
}

}  // namespace vx
