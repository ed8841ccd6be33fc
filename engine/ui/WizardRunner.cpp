#include "engine/ui/WizardRunner.h"

#include <memory>
#include <optional>

#include "engine/base/Texts.h"
#include "engine/base/PathOps.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/DestinationView.h"
#include "engine/ui/PageTable.h"
#include "engine/ui/Ui.h"
#include "engine/ui/WizardPages.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

// Rows given as indexes to tick; the other enabled rows are unticked.
void ApplySelection(ComponentPage& page, const std::vector<int>& rows) {
  std::vector<bool> want(page.rows.size(), false);
  for (int i : rows) want[static_cast<std::size_t>(i)] = true;
  for (std::size_t i = 0; i < page.rows.size(); ++i)
    if (page.rows[i].enabled && !page.rows[i].disabledByUninstallAll)
      page.rows[i].checked = want[i];
}

std::string SelectionText(const ComponentPage& page) {
  std::string s;
  for (std::size_t i = 0; i < page.rows.size(); ++i) {
    if (!page.rows[i].checked) continue;
    if (!s.empty()) s += ",";
    s += std::to_string(i);
  }
  return s;
}

enum class Step { Next, Stay, Quit, UninstallAll };

class HeadlessPages {
 public:
  explicit HeadlessPages(Ui& ui) : ui_(ui) {}

  // Each page becomes the dialogs its answer rule asks for.
  Step Show(const WizardPage& page) {
    const PageRow& row = PageRowOf(page.kind);
    switch (row.rule) {
      case PageAnswerRule::Confirm:
        return ui_.MessageBox(page.title, row.text(), row.answerBox) ==
                       AgreeingButton(row.answerBox)
                   ? Step::Next
                   : Step::Quit;
      case PageAnswerRule::Acknowledge:
        ui_.MessageBox(page.title, row.text(), row.answerBox);
        return Step::Next;
      case PageAnswerRule::Fields:
        return UserInfo(page);
      case PageAnswerRule::Choice:
        return Type(page);
      case PageAnswerRule::Rows:
        return Components(page);
      case PageAnswerRule::Paths:
        return Destinations(page);
    }
    return Step::Next;
  }

 private:
  Step Type(const WizardPage& page) {
    if (!typeReady_) {
      type_.Initialise();
      typeReady_ = true;
    }
    int i = ui_.ChooseFromList(page.title, LoadText(TextId::SelectType), type_.types, 0);
    if (i < 0) return Step::Quit;
    type_.Select(i);
    type_.Next();
    return Step::Next;
  }

  Step UserInfo(const WizardPage& page) {
    if (!userReady_) {
      user_.Initialise();
      userReady_ = true;
    }
    for (auto& f : user_.fields)
      if (f.asked) ui_.AskText(page.title, f.label, f.value);
    if (AnswersRefused()) return Step::Quit;  // nothing of the page is written
    for (;;) {
      int empty = user_.Next();
      if (empty < 0) return Step::Next;
      ui_.Beep();
      auto& f = user_.fields[empty];
      if (!ui_.AskText(page.title, f.label, f.value)) return Step::Quit;
    }
  }

  Step Components(const WizardPage& page) {
    if (!components_) components_ = std::make_unique<ComponentPage>(page.maintenanceMode);
    ComponentPage& c = *components_;
    c.Activate();
    std::string answer = SelectionText(c);
    if (!ui_.AskText(page.title, c.Listing(), answer)) answer = SelectionText(c);
    if (page.maintenanceMode && answer == "uninstall-all") {
      c.SetUninstallAll(true);
    } else {
      std::string accepts;
      std::optional<std::vector<int>> rows =
          RowsAnswer(answer, static_cast<int>(c.rows.size()), accepts);
      if (!rows) {
        if (page.maintenanceMode) accepts += " or text:uninstall-all";
        ui_.RefuseLastAnswer(page.title, accepts);
        return Step::Quit;
      }
      ApplySelection(c, *rows);
    }
    return c.Next() == ComponentPage::NextResult::UninstallAll ? Step::UninstallAll : Step::Next;
  }

  Step Destinations(const WizardPage& page) {
    if (!destReady_) {
      destReady_ = true;
      if (!dest_.Initialise())
        ui_.MessageBox(page.title, kTooManyDestinationsText, kMbOk | kMbIconStop);
    }
    dest_.Activate();
    for (auto& row : dest_.rows) {
      if (!row.editable) continue;
      std::string value = row.drive.empty() ? row.pathDrive : row.drive;
      value += row.directory;
      const std::string shown = value;
      if (!ui_.AskText(page.title, row.label, value)) continue;
      std::string drive, dir;
      SplitDrivePath(value, drive, dir);
      row.drive.clear();
      for (const std::string& d : dest_.drives)
        if (winpath::EqualsNoCase(d, drive)) row.drive = d;
      row.pathDrive = drive;
      row.directory = dir;
      if (value != shown && Trim(row.directory).empty()) {
        // The wizard's own check: a destination is a folder, never a drive's root or nothing.
        ui_.RefuseLastAnswer(page.title + ": " + row.label, kFolderAnswerAccepts);
        return Step::Quit;
      }
    }
    // As in the windows: a path that cannot be a folder is named in a message and nothing is
    // written; the page's Cancel follows, as the windows' answering does.
    const std::string refusal = TakeNext(dest_);
    if (refusal.empty()) return Step::Next;
    ui_.MessageBox(page.title, refusal, kMbOk | kMbIconExclamation);
    return Step::Quit;
  }

  Ui& ui_;
  UserInfoPage user_;
  bool userReady_ = false;
  SelectTypePage type_;
  bool typeReady_ = false;
  std::unique_ptr<ComponentPage> components_;
  DestinationPage dest_;
  bool destReady_ = false;
};

}  // namespace

WizardOutcome RunWizard(InstallWizard& wizard, Ui& ui, const std::function<bool()>& confirmQuit) {
  if (wizard.Finished() || wizard.Pages().empty()) return WizardOutcome::Finished;
  HeadlessPages pages(ui);
  const auto& list = wizard.Pages();
  for (std::size_t i = 0; i < list.size();) {
    Step s = pages.Show(list[i]);
    // A refused answer cancels the run at once: no quit confirmation, nothing installed.
    if (AnswersRefused()) return WizardOutcome::Quit;
    if (s == Step::Quit) {
      // Cancel becomes the main window's quit confirmation; No keeps the page.
      if (confirmQuit()) return WizardOutcome::Quit;
      continue;
    }
    if (s == Step::UninstallAll) {
      wizard.SetFinished(true);
      return WizardOutcome::UninstallAll;
    }
    if (s == Step::Stay) continue;
    if (list[i].isLastPage) {
      wizard.SetFinished(true);
      return PageRowOf(list[i].kind).buttons == PageButtons::Finish ? WizardOutcome::Finished
                                                                    : WizardOutcome::StartInstall;
    }
    ++i;
  }
  wizard.SetFinished(true);
  return WizardOutcome::Finished;
}

}  // namespace vx
