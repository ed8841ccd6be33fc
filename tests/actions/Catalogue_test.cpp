#include "engine/actions/Catalogue.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

#include "engine/actions/ActionLine.h"
#include "engine/actions/Bulletin.h"
#include "engine/base/Flags.h"
#include "engine/base/Macros.h"
#include "engine/base/Store.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

using Clock = std::chrono::steady_clock;

class CatalogueTest : public ActionTest {};

TEST_F(CatalogueTest, SetVariableWritesDestinationsVariablesAndTheWholeValue) {
  UseScript({"[<General>]", "ProjectName=App", "[<VariableList>]", "nItems=2", "Variable1=First",
             "Value1=1", "Variable2=Second", "Value2=2"});
  RunActionLine("? | If (1 == 1) | 2 | t | {InstallPath1} | D:\\App");
  EXPECT_EQ(ReadScriptString("<Destinations>", "InstallPath1"), "D:\\App\\");

  RunActionLine("? | If (1 == 1) | 2 | t | {second} | a | b");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value2"), "a | b");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "1");

  RunActionLine("? | If (1 == 1) | 2 | t | {Unknown} | z");
  RunActionLine("? | If (1 == 1) | 2 | t | {First} | ?9:anything");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value1"), "1");
  EXPECT_EQ(ReadScriptString("<VariableList>", "Value2"), "a | b");
}

TEST_F(CatalogueTest, BulletinBoardGetsTheWholeTextUnexpanded) {
  std::vector<std::string> images;
  SetBulletinSink([&](const std::string& name) { images.push_back(name); });
  RunActionLine("? | If (1 == 1) | 10 | Update bulletin board | {Temp}\\Bb1.gif | x");
  SetBulletinSink(nullptr);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0], "{Temp}\\Bb1.gif | x");
  EXPECT_EQ(LastBulletinImage(), images[0]);
}

TEST_F(CatalogueTest, MessageBoxTypes) {
  RunActionLine("? | () | 12 | t | Hello {ProductName} | 0");
  ASSERT_EQ(ui->Shown().size(), 1u);
  EXPECT_EQ(ui->Shown()[0], "Setup | Hello Test App | ok");
  EXPECT_FALSE(Stopped());

  ui->AddAnswer("yes");
  RunActionLine("? | () | 12 | t | Quit? | 1 | 0");
  EXPECT_EQ(YesNoResponse(), "YES");
  EXPECT_TRUE(Stopped());

  ResetRunFlags();
  ui->AddAnswer("yes");
  RunActionLine("? | () | 12 | t | Go on? | 1 | 1");
  EXPECT_EQ(YesNoResponse(), "YES");
  EXPECT_FALSE(Stopped());

  ui->AddAnswer("no");
  RunActionLine("? | () | 12 | t | Quit? | 1 | 0");
  EXPECT_EQ(YesNoResponse(), "NO");
  EXPECT_FALSE(Stopped());

  RunActionLine("? | () | 12 | t | Fatal | 2");
  EXPECT_TRUE(Stopped());

  ResetRunFlags();
  std::size_t before = ui->Shown().size();
  RunActionLine("? | () | 12 | t | Odd type | 7");
  RunActionLine("? | () | 12 | t |  | 0");
  RunActionLine("? | () | 12 | t | Text | ");
  EXPECT_EQ(ui->Shown().size(), before);
  EXPECT_FALSE(Stopped());
}

TEST_F(CatalogueTest, MessageBoxBranchesLaterLines) {
  ui->AddAnswer("no");
  RunActionLine("? | () | 12 | t | Install extras? | 1 | 1");
  RunActionLine("? | If ({YesNoResponse} == YES) | 15 | stop |");
  EXPECT_FALSE(Stopped());
  RunActionLine("? | If ({YesNoResponse} == NO) | 15 | stop |");
  EXPECT_TRUE(Stopped());
}

TEST_F(CatalogueTest, ChooseFromListStopsAtTheFirstEmptyItem) {
  ui->AddAnswer("1");  // out of range when only "A" is offered: refused, closed without OK
  RunActionLine("? | () | 13 | t | Pick one | A | | B");
  EXPECT_EQ(Flags().selectedStringIndex.load(), 0);
  EXPECT_TRUE(AnswersRefused());
  ResetAnswerRefusal();

  ui->AddAnswer("2");
  RunActionLine("? | () | 13 | t | Pick one | A | B | C");
  EXPECT_EQ(Flags().selectedStringIndex.load(), 2);
  std::string expanded = "{SelectedStringIndex}";
  ExpandFully(expanded);
  EXPECT_EQ(expanded, "2");
}

TEST_F(CatalogueTest, ChooseFromListClosedWithoutOkStoresZero) {
  EXPECT_EQ(Flags().selectedStringIndex.load(), -1);
  ui->AddAnswer("cancel");
  RunActionLine("? | () | 13 | t | Pick | A | B");
  EXPECT_EQ(Flags().selectedStringIndex.load(), 0);
}

TEST_F(CatalogueTest, KeyPauseEndsOnArrowsWithTheirDirection) {
  ui->AddAnswer("left");
  RunActionLine("? | () | 14 | Press RIGHT key to continue | -1");
  EXPECT_EQ(Flags().pauseKeySignal.load(), -1);
  EXPECT_FALSE(Flags().waitingForKey.load());

  ui->AddAnswer("down");
  RunActionLine("? | () | 14 | t | -1");
  EXPECT_EQ(Flags().pauseKeySignal.load(), 1);
}

TEST_F(CatalogueTest, TimedPauseIgnoresKeysAndFollowsThePace) {
  ui->AddAnswer("left");
  SetPaceFactor(0.05);
  auto start = Clock::now();
  RunActionLine("? | () | 14 | t | 2");
  auto took = Clock::now() - start;
  SetPaceFactor(0);
  EXPECT_GE(took, std::chrono::milliseconds(95));
  EXPECT_EQ(Flags().pauseKeySignal.load(), 0);
  // The arrow answer was not taken by the timed pause.
  ui->AddAnswer("ok");
  RunActionLine("? | () | 14 | t | -1");
  EXPECT_EQ(Flags().pauseKeySignal.load(), -1);
}

// A display that never reports keys itself (the key hook of a real window sets the flags).
class SilentKeysUi : public HeadlessUi {
 public:
  SilentKeysUi() : HeadlessUi({}, false) {}
  int PollArrowKey() override { return 0; }
};

TEST_F(CatalogueTest, KeyPauseSeesTheKeyHookAndTheStopRequest) {
  SetUi(std::make_unique<SilentKeysUi>());
  std::thread hook([] {
    while (!Flags().waitingForKey) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Flags().waitingForKey = false;
    Flags().pauseKeySignal = -1;
  });
  PauseAction("-1");
  hook.join();
  EXPECT_EQ(Flags().pauseKeySignal.load(), -1);

  std::thread canceller([] {
    while (!Flags().waitingForKey) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Flags().stopRequest = true;
  });
  PauseAction("-5");
  canceller.join();
  EXPECT_EQ(Flags().pauseKeySignal.load(), 0);
  EXPECT_FALSE(Flags().waitingForKey.load());
}

TEST_F(CatalogueTest, StopAndUnknownCodes) {
  for (int code : {0, 17, 100, -1}) {
    RunActionLine("? | () | " + std::to_string(code) + " | t | x");
  }
  EXPECT_FALSE(Stopped());
  EXPECT_TRUE(ui->Shown().empty());
  RunActionLine("? | () | 15 | Stop installation");
  EXPECT_TRUE(Stopped());
}

// A WAV header for `bytes` of 8-bit mono sound at 8000 Hz.
std::string Wave(std::uint32_t bytes) {
  auto u32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  auto u16 = [](std::uint16_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
  };
  std::string w = "RIFF" + u32(36 + bytes) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) +
                  u32(8000) + u32(8000) + u16(1) + u16(8) + "data" + u32(bytes);
  return w + std::string(bytes, '\x80');
}

TEST_F(CatalogueTest, SoundWaitsOnlyWithModeMinusOne) {
  setenv("VX_SOUND_PLAYER", "", 1);  // no host player: the call still paces like the sound
  machine.WriteFile("C:\\Media\\Tada.wav", Wave(1600));  // 0.2 s
  auto start = Clock::now();
  RunActionLine("? | () | 11 | t | C:\\Media\\Tada.wav | -1");
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(190));
  RunActionLine("? | () | 11 | t |  | -1");  // no file: nothing
  unsetenv("VX_SOUND_PLAYER");
}

}  // namespace
}  // namespace vx::test
