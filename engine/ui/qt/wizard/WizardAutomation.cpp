#include "engine/ui/qt/wizard/WizardAutomation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "engine/base/Texts.h"
#include "engine/ui/ControlIds.h"
#include "engine/ui/PageAnswers.h"
#include "engine/ui/qt/wizard/InstallWizardWnd.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"

namespace vx {

namespace {

// The Qt wizard's buttons and the current page's widgets, as the scripted answers work them.
// Next runs at once here: a page it kept is noted, to be asked again.
class QtPageControls : public PageControls {
 public:
  QtPageControls(CInstallWizard& w, const WizardScript& s)
      : wizard_(w), script_(s), page_(w.CurrentPage()) {}

  // True once when the last Next kept the page.
  bool TakeStayed() { return std::exchange(stayed_, false); }

  ScriptedAnswer Take() override { return script_.take().value_or(ScriptedAnswer{}); }
  void Record(const std::string& caption, const std::string& text,
              const std::string& answer) override {
    if (script_.record) script_.record(caption, text, answer);
  }
  void Snapshot() override {
    if (script_.snapshot) script_.snapshot(&wizard_);
  }
  void PressNext() override {
    wizard_.Next();
    stayed_ = !wizard_.Ended() && wizard_.CurrentPage() == page_;
  }
  void PressCancel() override { wizard_.CancelRequest(); }
  void PressFinish() override { wizard_.Finish(); }

  bool FieldAsked(int field) override { return User().Asked(field); }
  std::string FieldLabel(int field) override {
    return Std(page_->Control<QLabel>(kCtlUserNameLabel + field)->text());
  }
  void TypeField(int field, const std::string& value) override {
    User().Edit(field)->setText(Qs(value));
  }
  int EmptyField() override { return User().EmptyField(); }

  int TypeCount() override { return TypeList().RowCount(); }
  void PickType(int row) override { TypeList().Button(row)->click(); }

  std::string ComponentsPrompt() override { return LoadText(TextId::SelectComponents); }
  int RowCount() override { return Rows().RowCount(); }
  bool RowEnabled(int row) override { return Rows().Button(row)->isEnabled(); }
  bool RowChecked(int row) override { return Rows().Checked(row); }
  void ToggleRow(int row) override { Rows().Button(row)->click(); }
  void TickUninstallAll() override {
    QCheckBox* all = Components().UninstallAll();
    if (!all->isChecked()) all->click();
  }

  bool PathAsked(int row) override {
    QLineEdit* dir = Destination().Directory(row);
    return dir->isVisibleTo(page_) && dir->isEnabled();
  }
  std::string PathLabel(int row) override {
    return Std(
        page_->Control<QLabel>(kCtlDestinationLabel + kCtlDestinationRowStride * row)->text());
  }
  std::string ShownPath(int row) override {
    return Std(Destination().Drives(row)->currentText()) +
           Std(Destination().Directory(row)->text());
  }
  void PickDrive(int row, const std::string& drive) override {
    QComboBox* drives = Destination().Drives(row);
    int at = drives->findText(Qs(drive), Qt::MatchFixedString);
    if (at == drives->currentIndex()) return;
    drives->setCurrentIndex(at);
    if (at >= 0) emit drives->activated(at);
  }
  void TypeDirectory(int row, const std::string& directory) override {
    Destination().Directory(row)->setText(Qs(directory));
  }

 private:
  // The page as the window class of its kind: asked for only on that kind.
  CWZUserInfo& User() { return *static_cast<CWZUserInfo*>(page_); }
  CItemListWnd& TypeList() { return *static_cast<CWZSelectType*>(page_)->List(); }
  CWZSelectComponent& Components() { return *static_cast<CWZSelectComponent*>(page_); }
  CItemListWnd& Rows() { return *Components().List(); }
  CWZSelectDestination& Destination() { return *static_cast<CWZSelectDestination*>(page_); }

  CInstallWizard& wizard_;
  const WizardScript& script_;
  CWZPage* page_;
  bool stayed_ = false;
};

}  // namespace

void AnswerCurrentPage(CInstallWizard& wizard, const WizardScript& script) {
  if (wizard.Ended() || !wizard.CurrentPage()) return;
  QtPageControls controls(wizard, script);
  if (!script.scripted || !script.take) {
    // The user answers: only the picture.
    controls.Snapshot();
    return;
  }
  const WizardPage info = wizard.CurrentPage()->Info();
  AnswerPage(info, controls);
  while (controls.TakeStayed()) AnswerStayedPage(info, controls);
}

}  // namespace vx
