#include "engine/ui/qt/wizard/WizardAutomation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <sstream>
#include <vector>

#include "engine/base/Texts.h"
#include "engine/ui/WizardPages.h"
#include "engine/ui/qt/wizard/InstallWizardWnd.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/NoHighlightEditor.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"

namespace vx {

namespace {

std::string Word(const std::string& answer) {
  std::string w;
  for (char c : answer)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') w += static_cast<char>(std::tolower(c));
  return w;
}

bool TextOf(const std::string& answer, std::string& value) {
  std::size_t start = answer.find_first_not_of(" \t");
  if (start == std::string::npos || Word(answer.substr(start, 5)) != "text:") return false;
  value = answer.substr(answer.find(':') + 1);
  return true;
}

// Rows given as "0,2" are ticked, the other rows the user may change are unticked.
std::vector<bool> Ticks(const std::string& list, std::size_t rows) {
  std::vector<bool> want(rows, false);
  std::stringstream ss(list);
  std::string item;
  while (std::getline(ss, item, ',')) {
    try {
      std::size_t i = std::stoul(item);
      if (i < rows) want[i] = true;
    } catch (...) {
      // A word that is no index names nothing.
    }
  }
  return want;
}

class PageAnswers {
 public:
  PageAnswers(CInstallWizard& w, const WizardScript& s) : wizard_(w), script_(s) {}

  void Run() {
    CWZPage* page = wizard_.CurrentPage();
    const std::string title = page->Info().title;
    switch (page->Info().kind) {
      case PageKind::Welcome:
        Confirm(title, Std(page->Control<QLabel>(1004)->text()), "cancel", "ok");
        break;
      case PageKind::Agreement:
        Confirm(title, Std(static_cast<CWZAgreement*>(page)->License()->toPlainText()), "no",
                "yes");
        break;
      case PageKind::Review:
        Confirm(title, Std(static_cast<CWZReview*>(page)->Summary()->toPlainText()), "cancel",
                "ok");
        break;
      case PageKind::Completion: {
        Take(title, Std(page->Control<QLabel>(1025)->text()), "ok");
        Snap();
        wizard_.Finish();
        break;
      }
      case PageKind::UserInfo: UserInfo(static_cast<CWZUserInfo*>(page), title); break;
      case PageKind::SelectType: Type(static_cast<CWZSelectType*>(page), title); break;
      case PageKind::SelectComponent:
        Components(static_cast<CWZSelectComponent*>(page), title);
        break;
      case PageKind::SelectDestination:
        Destinations(static_cast<CWZSelectDestination*>(page), title);
        break;
    }
  }

 private:
  std::string Take(const std::string& caption, const std::string& text, const std::string& shown) {
    std::string answer = script_.take().value_or("");
    if (script_.record) script_.record(caption, text, shown.empty() ? answer : shown);
    return answer;
  }
  void Snap() {
    if (script_.snapshot) script_.snapshot(&wizard_);
  }
  // A page with two answers: `no` is its Cancel, anything else its Next.
  void Confirm(const std::string& title, const std::string& text, const char* no, const char* yes) {
    std::string answer = script_.take().value_or("");
    bool cancel = Word(answer) == no;
    if (script_.record) script_.record(title, text, cancel ? no : yes);
    Snap();
    if (cancel)
      wizard_.CancelRequest();
    else
      wizard_.Next();
  }

  void UserInfo(CWZUserInfo* page, const std::string& title) {
    std::vector<int> asked;
    for (int i = 0; i < 3; ++i)
      if (page->Edit(i)->isVisibleTo(page)) asked.push_back(i);
    for (int i : asked) Field(page, i, title);
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
    std::string label = Std(page->Control<QLabel>(1010 + i)->text());
    std::string answer = script_.take().value_or(""), value;
    if (TextOf(answer, value)) {
      edit->setText(Qs(value));
      if (script_.record) script_.record(title, label, "text:" + value);
      return true;
    }
    bool ok = Word(answer) == "ok";
    if (script_.record) script_.record(title, label, ok ? "ok" : "cancel");
    return ok;
  }

  void Type(CWZSelectType* page, const std::string& title) {
    CItemListWnd* list = page->List();
    std::string word = Word(script_.take().value_or(""));
    int choice = list->RowCount() > 0 ? 0 : -1;
    if (word == "cancel")
      choice = -1;
    else if (!word.empty() && word.size() < 10 &&
             word.find_first_not_of("0123456789") == std::string::npos &&
             std::stoi(word) < list->RowCount())
      choice = std::stoi(word);
    if (script_.record)
      script_.record(title, LoadText(40056), choice < 0 ? "cancel" : std::to_string(choice));
    if (choice >= 0) list->Button(choice)->click();
    Snap();
    if (choice < 0)
      wizard_.CancelRequest();
    else
      wizard_.Next();
  }

  void Components(CWZSelectComponent* page, const std::string& title) {
    CItemListWnd* list = page->List();
    std::string answer = script_.take().value_or(""), value;
    bool text = TextOf(answer, value);
    if (script_.record) script_.record(title, LoadText(40059), text ? "text:" + value : "cancel");
    if (text && page->Info().maintenanceMode && value == "uninstall-all") {
      if (!page->UninstallAll()->isChecked()) page->UninstallAll()->click();
    } else if (text) {
      std::vector<bool> want = Ticks(value, static_cast<std::size_t>(list->RowCount()));
      for (int i = 0; i < list->RowCount(); ++i)
        if (list->Button(i)->isEnabled() && list->Checked(i) != want[i]) list->Button(i)->click();
    }
    Snap();
    wizard_.Next();
  }

  void Destinations(CWZSelectDestination* page, const std::string& title) {
    for (int n = 0; n < CWZSelectDestination::kRows; ++n) {
      QLineEdit* dir = page->Directory(n);
      QComboBox* drives = page->Drives(n);
      if (!dir->isVisibleTo(page) || !dir->isEnabled()) continue;
      std::string label = Std(page->Control<QLabel>(1034 + 3 * n)->text());
      std::string answer = script_.take().value_or(""), value;
      if (!TextOf(answer, value)) {
        if (script_.record) script_.record(title, label, "cancel");
        continue;
      }
      if (script_.record) script_.record(title, label, "text:" + value);
      std::string drive, directory;
      SplitDrivePath(value, drive, directory);
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
