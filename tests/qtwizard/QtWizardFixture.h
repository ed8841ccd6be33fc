// A wizard window over a test machine, driven with simulated clicks and keys; the headless
// UI underneath counts beeps and answers the message boxes.
#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <deque>
#include <memory>

#include "engine/ui/qt/wizard/InstallWizardWnd.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "tests/ui/UiFixture.h"

namespace vx::test {

class QtWizardTest : public UiTest {
 protected:
  // A full wizard for the script given (or the modify wizard), shown on its first page.
  void Open(bool modify = false) {
    sheet = std::make_unique<InstallWizard>("Install Wizard Window");
    if (modify)
      sheet->FillModify();
    else
      sheet->FillFull();
    wizard = std::make_unique<CInstallWizard>(*sheet, [this] {
      ++confirmations;
      bool quit = !quitAnswers.empty() && quitAnswers.front();
      if (!quitAnswers.empty()) quitAnswers.pop_front();
      return quit;
    });
    wizard->Start();
    Activate(wizard.get());
  }
  // Keys go to the window that is active.
  static void Activate(QWidget* window) {
    if (!window->isVisible()) return;
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  }
  void TearDown() override { wizard.reset(); }

  // The lines of a script with repeated sections joined and a later key replacing an earlier
  // one, so that a test can start from a base script and change some of it.
  static std::vector<std::string> Merged(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::vector<std::string>>> sections;
    std::vector<std::string>* current = nullptr;
    for (const std::string& l : lines) {
      if (!l.empty() && l[0] == '[') {
        auto it =
            std::find_if(sections.begin(), sections.end(), [&](auto& s) { return s.first == l; });
        if (it == sections.end()) it = sections.insert(sections.end(), {l, {}});
        current = &it->second;
        continue;
      }
      if (!current) continue;
      std::string key = l.substr(0, l.find('='));
      auto same = std::find_if(current->begin(), current->end(), [&](const std::string& k) {
        return k.substr(0, k.find('=')) == key;
      });
      if (same != current->end())
        *same = l;
      else
        current->push_back(l);
    }
    std::vector<std::string> out;
    for (auto& [header, keys] : sections) {
      out.push_back(header);
      out.insert(out.end(), keys.begin(), keys.end());
    }
    return out;
  }
  void UseMerged(const std::vector<std::string>& lines) { UseScript(Merged(lines)); }

  QPushButton* Button(int id) const { return wizard->Button(id); }
  // A click where a check box or radio button takes it: on its box, not in the middle of a
  // wide row.
  void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
  }
  void Press(int id) { Click(Button(id)); }
  void NextPage() { Press(CInstallWizard::kNextId); }
  PageKind Kind() const { return wizard->CurrentPage()->Info().kind; }
  template <class T = QWidget>
  T* Control(int id) const {
    return wizard->CurrentPage()->Control<T>(id);
  }
  template <class P>
  P* Page() const {
    return dynamic_cast<P*>(wizard->CurrentPage());
  }
  std::string Text(int id) const { return Std(Control<QLabel>(id)->text()); }
  void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }

  std::unique_ptr<InstallWizard> sheet;
  std::unique_ptr<CInstallWizard> wizard;
  std::deque<bool> quitAnswers;
  int confirmations = 0;
};

}  // namespace vx::test
