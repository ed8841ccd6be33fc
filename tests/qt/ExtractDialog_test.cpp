// Extract.exe's Qt dialog driven by a real extraction session: label, bar from 1 to 100,
// Cancel with its question.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "extract/ExtractSession.h"
#include "extract/qt/QtExtractUi.h"
#include "platform/System.h"
#include "tests/extract/PayloadBuilder.h"
#include "tests/qt/QtFixture.h"

namespace vx::test {
namespace {

using extract::ExtractOutcome;

class ExtractDialogTest : public QtTest {
 protected:
  ExtractOutcome Run(extract::QtExtractUi& ui, bool& launched) {
    std::vector<PayloadEntry> entries;
    // Only an installer just written is started.
    entries.push_back({"Install.exe", std::string(3000, 'i')});
    for (int i = 0; i < 5; ++i)
      entries.push_back({"file" + std::to_string(i) + ".bin", std::string(3000, char('a' + i))});
    entries.push_back({"Demo.0", std::string(100, 'p')});
    machine.WriteFile("C:\\Downloads\\Setup.exe", BuildPayloadFile(std::string(64, 'M'), entries));
    extract::ExtractEnvironment env;
    env.ownPath = "C:\\Downloads\\Setup.exe";
    env.tempFolder = GetTempPath();
    env.launch = [&](const std::string&, const std::string&) { return launched = true; };
    env.scheduleDeletion = [](const std::vector<std::string>&) {};
    extract::ExtractSession session(env, ui);
    return session.Run();
  }
};

TEST_F(ExtractDialogTest, ExtractsWithLabelAndBarThenLaunches) {
  extract::QtExtractUi ui(true, {}, "");
  bool launched = false;
  EXPECT_EQ(Run(ui, launched), ExtractOutcome::Launched);
  EXPECT_TRUE(launched);
  ASSERT_NE(ui.Dialog(), nullptr);
  EXPECT_EQ(ui.Bar()->minimum(), 1);
  EXPECT_EQ(ui.Bar()->value(), 100);
  EXPECT_EQ(ui.Label()->text(), "Start install...");
  EXPECT_TRUE(ui.Dialog()->windowTitle().isEmpty());
  EXPECT_FALSE(ui.Dialog()->isVisible());
}

TEST_F(ExtractDialogTest, CancelAsksAndYesStops) {
  // The first press is answered No (the extraction goes on), the second Yes.
  extract::QtExtractUi ui(true, {"no", "yes"}, "");
  // The second press comes a while after the first, once its question has been answered.
  int presses = 0;
  QElapsedTimer since;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!ui.CancelButton() || !ui.CancelButton()->isVisible()) return;
    if (presses == 0 || (presses == 1 && since.elapsed() > 300)) {
      ++presses;
      since.start();
      ui.CancelButton()->click();
    }
  });
  timer.start(1);
  SetPaceFactor(1);  // the 1.5 s before the launch leaves time for both presses
  bool launched = false;
  ExtractOutcome outcome = Run(ui, launched);
  SetPaceFactor(0);
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(outcome, ExtractOutcome::Cancelled);
  EXPECT_FALSE(launched);
}

}  // namespace
}  // namespace vx::test
