#include "engine/ui/qt/wizard/WizardAutomation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "engine/base/PathOps.h"
#include "engine/base/Texts.h"
#include "engine/ui/ControlIds.h"
#include "engine/ui/PageTable.h"
#include "engine/ui/Ui.h"
#include "engine/ui/WizardPages.h"
#include "engine/ui/qt/wizard/InstallWizardWnd.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"

namespace vx {

namespace {

class PageAnswers {
 public:
  PageAnswers(CInstallWizard& w, const WizardScript& s) : wizard_(w), script_(s) {}

  void Run() {
    CWZPage* page = wizard_.CurrentPage();
    const PageRow& row = PageRowOf(page->Info().kind);
    const std::string title = page->Info().title;
    switch (row.rule) {
      case PageAnswerRule::Confirm:
        Confirm(row, title);
        break;
      case PageAnswerRule::Acknowledge:
        Acknowledge(row, title);
        break;
      case PageAnswerRule::Fields:
        UserInfo(static_cast<CWZUserInfo*>(page), title);
        break;
      case PageAnswerRule::Choice:
        Type(static_cast<CWZSelectType*>(page), title);
        break;
      case PageAnswerRule::Rows:
        Components(static_cast<CWZSelectComponent*>(page), title);
        break;
      case PageAnswerRule::Paths:
        Destinations(static_cast<CWZSelectDestination*>(page), title);
        break;
    }
  }

 private:
  ScriptedAnswer Take() { return script_.take().value_or(ScriptedAnswer{}); }
  void Record(const std::string& caption, const std::string& text, const std::string& answer) {
    if (script_.record) script_.record(caption, text, answer);
  }
  // True when the run's answers were refused (this one, when `accepts` says what fits).
  bool Refused(const ScriptedAnswer& answer, const std::string& dialog,
               const std::string& accepts) {
    if (!accepts.empty()) RefuseAnswer({answer, dialog, accepts});
    return AnswersRefused();
  }
  void Snap() {
    if (script_.snapshot) script_.snapshot(&wizard_);
  }

  // Answered as a message box of the row's type: its agreeing button goes on, any other asks
  // to quit.
  void Confirm(const PageRow& row, const std::string& title) {
    std::string text = row.text();
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<int> id = MessageBoxAnswer(answer.text, row.answerBox, accepts);
    if (Refused(answer, DialogName(title, text), accepts)) id = ClosingButton(row.answerBox);
    Record(title, text, ButtonWord(*id));
    Snap();
    if (*id == AgreeingButton(row.answerBox))
      wizard_.Next();
    else
      wizard_.CancelRequest();
  }

  void Acknowledge(const PageRow& row, const std::string& title) {
    std::string text = row.text();
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<int> id = MessageBoxAnswer(answer.text, row.answerBox, accepts);
    if (Refused(answer, DialogName(title, text), accepts)) id = ClosingButton(row.answerBox);
    Record(title, text, ButtonWord(*id));
    Snap();
    wizard_.Finish();
  }

  void UserInfo(CWZUserInfo* page, const std::string& title) {
    std::vector<int> asked;
    for (int i = 0; i < 3; ++i)
      if (page->Edit(i)->isVisibleTo(page)) asked.push_back(i);
    for (int i : asked) Field(page, i, title);
    if (AnswersRefused()) {
      wizard_.CancelRequest();
      return;
    }
    Snap();
    for (;;) {
      wizard_.Next();
      if (wizard_.Ended() || wizard_.CurrentPage() != page) return;
      // An empty field kept the page: it is asked again, and Cancel asks to quit.
      int empty = -1;
      for (int i : asked)
        if (page->Edit(i)->text().isEmpty()) {
          empty = i;
          break;
        }
      if (empty < 0 || !Field(page, empty, title)) {
        wizard_.CancelRequest();
        return;
      }
    }
  }
  // False when the answer was no text and no OK.
  bool Field(CWZUserInfo* page, int i, const std::string& title) {
    QLineEdit* edit = page->Edit(i);
    std::string label = Std(page->Control<QLabel>(kCtlUserNameLabel + i)->text());
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
    if (Refused(answer, DialogName(title, label), accepts)) taken = TextAnswer{};
    if (taken->value) edit->setText(Qs(*taken->value));
    Record(title, label, !taken->ok ? "cancel" : taken->value ? "text:" + *taken->value : "ok");
    return taken->ok;
  }

  void Type(CWZSelectType* page, const std::string& title) {
    CItemListWnd* list = page->List();
    const std::string prompt = LoadText(TextId::SelectType);
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<int> choice =
        ListAnswer(answer.text, list->RowCount(), list->RowCount() > 0 ? 0 : -1, accepts);
    if (Refused(answer, DialogName(title, prompt), accepts)) choice = -1;
    Record(title, prompt, *choice < 0 ? "cancel" : std::to_string(*choice));
    if (*choice >= 0) list->Button(*choice)->click();
    Snap();
    if (*choice < 0)
      wizard_.CancelRequest();
    else
      wizard_.Next();
  }

  void Components(CWZSelectComponent* page, const std::string& title) {
    CItemListWnd* list = page->List();
    const std::string prompt = LoadText(TextId::SelectComponents);
    ScriptedAnswer answer = Take();
    std::string accepts;
    std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
    if (Refused(answer, DialogName(title, prompt), accepts)) {
      Record(title, prompt, "cancel");
      wizard_.CancelRequest();
      return;
    }
    // Without a value (ok, cancel, the default) the ticks stay as they are.
    std::optional<std::string> value = taken->ok ? taken->value : std::nullopt;
    Record(title, prompt, !taken->ok ? "cancel" : value ? "text:" + *value : "ok");
    if (value && page->Info().maintenanceMode && *value == "uninstall-all") {
      if (!page->UninstallAll()->isChecked()) page->UninstallAll()->click();
    } else if (value) {
      std::optional<std::vector<int>> rows = RowsAnswer(*value, list->RowCount(), accepts);
      if (!rows) {
        if (page->Info().maintenanceMode) accepts += " or text:uninstall-all";
        Refused(answer, title, accepts);
        wizard_.CancelRequest();
        return;
      }
      std::vector<bool> want(static_cast<std::size_t>(list->RowCount()), false);
      for (int i : *rows) want[static_cast<std::size_t>(i)] = true;
      for (int i = 0; i < list->RowCount(); ++i)
        if (list->Button(i)->isEnabled() && list->Checked(i) != want[static_cast<std::size_t>(i)])
          list->Button(i)->click();
    }
    Snap();
    wizard_.Next();
  }

  void Destinations(CWZSelectDestination* page, const std::string& title) {
    for (int n = 0; n < CWZSelectDestination::kRows; ++n) {
      QLineEdit* dir = page->Directory(n);
      QComboBox* drives = page->Drives(n);
      if (!dir->isVisibleTo(page) || !dir->isEnabled()) continue;
      std::string label =
          Std(page->Control<QLabel>(kCtlDestinationLabel + kCtlDestinationRowStride * n)->text());
      ScriptedAnswer answer = Take();
      std::string accepts;
      std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
      if (Refused(answer, DialogName(title, label), accepts)) {
        Record(title, label, "cancel");
        wizard_.CancelRequest();
        return;
      }
      if (!taken->ok || !taken->value) {
        Record(title, label, taken->ok ? "ok" : "cancel");
        continue;
      }
      const std::string& value = *taken->value;
      Record(title, label, "text:" + value);
      std::string drive, directory;
      SplitDrivePath(value, drive, directory);
      const std::string shown = Std(drives->currentText()) + Std(dir->text());
      if (value != shown && Trim(directory).empty()) {
        // The wizard's own check: a destination is a folder, never a drive's root or nothing.
        Refused(answer, title + ": " + label, kFolderAnswerAccepts);
        wizard_.CancelRequest();
        return;
      }
      int at = drives->findText(Qs(drive), Qt::MatchFixedString);
      if (at != drives->currentIndex()) {
        drives->setCurrentIndex(at);
        if (at >= 0) emit drives->activated(at);
      }
      dir->setText(Qs(directory));
    }
    Snap();
    wizard_.Next();
    // A path refused keeps the page: the script cannot mend it, so it asks to quit.
    if (!wizard_.Ended() && wizard_.CurrentPage() == page) wizard_.CancelRequest();
  }

  CInstallWizard& wizard_;
  const WizardScript& script_;
};

}  // namespace

void AnswerCurrentPage(CInstallWizard& wizard, const WizardScript& script) {
  if (wizard.Ended() || !wizard.CurrentPage()) return;
  if (!script.scripted || !script.take) {
    // The user answers: only the picture.
    if (script.snapshot) script.snapshot(&wizard);
    return;
  }
  PageAnswers(wizard, script).Run();
}

}  // namespace vx
