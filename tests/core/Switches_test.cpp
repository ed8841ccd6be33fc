// The administrators' switches: taken out of the command line in any case and with either
// option character, values up to the next switch, "/S FILE" still a response file.
#include "engine/base/Switches.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(SwitchesTest, SwitchesAreTakenAndTheRestIsLeft) {
  Switches s;
  EXPECT_EQ(TakeSwitches("-e C:\\Down\\Demo.exe | /S -dir=C:\\Program Files\\X /Components=A, B "
                         "/type=\"Full Install\" /LOG=run.log /norestart -SUPPRESSMSGBOXES "
                         "/SAVEINF=C:\\a.ini /MSICODES",
                         s),
            "-e C:\\Down\\Demo.exe |");
  EXPECT_TRUE(s.silent && s.noRestart && s.suppressMsgBoxes && s.msiCodes);
  EXPECT_FALSE(s.help);
  EXPECT_EQ(s.dir, "C:\\Program Files\\X");
  EXPECT_EQ(s.components, "A, B");
  EXPECT_EQ(SwitchComponentNames(s.components), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(s.type, "Full Install");
  EXPECT_EQ(s.log, "run.log");
  EXPECT_EQ(s.saveInf, "C:\\a.ini");
  // Given on, they read the same.
  Switches again;
  EXPECT_EQ(TakeSwitches(s.Text(), again), "");
  EXPECT_EQ(again.Text(), s.Text());
}

TEST(SwitchesTest, ResponseFilesAndPathsAreNotSwitches) {
  struct Case {
    const char* text;
    const char* rest;
    bool silent;
  } cases[] = {
      {"/S C:\\resp.ini", "/S C:\\resp.ini", false},            // the response-file option
      {"-s /home/me/resp.ini", "-s /home/me/resp.ini", false},  // a host path after it
      {"/S -sC:\\resp.ini", "-sC:\\resp.ini", true},
      {"-s C:\\r.ini /S", "-s C:\\r.ini", true},
      {"/S", "", true},
      {"-e C:\\My -S Dir\\Demo.exe", "-e C:\\My -S Dir\\Demo.exe", false},
      // Before a "|" lies the engine's own option: nothing there is a switch.
      {"-e C:\\x /DIR=y | /NORESTART", "-e C:\\x /DIR=y |", false},
      {"/Sx /DIRECTORY=x", "/Sx /DIRECTORY=x", false},  // no such switches
  };
  for (const Case& c : cases) {
    Switches s;
    EXPECT_EQ(TakeSwitches(c.text, s), c.rest) << c.text;
    EXPECT_EQ(s.silent, c.silent) << c.text;
  }
  Switches help;
  TakeSwitches("/?", help);
  EXPECT_TRUE(help.help);
}

TEST(SwitchesTest, StatusesMapToTheCodesDeploymentToolsKnow) {
  const int table[][2] = {{0, 0},     {1, 1603},  {2, 1602},  {3, 1603},  {4, 3010}, {5, 1618},
                          {10, 1603}, {11, 1602}, {12, 1603}, {13, 1603}, {14, 1618}};
  for (const auto& row : table) EXPECT_EQ(MsiCodeOf(row[0]), row[1]) << row[0];
}

}  // namespace
}  // namespace vx
