#include <gtest/gtest.h>

#include "engine/run/CommandLine.h"

namespace vx {
namespace {

struct Case {
  const char* text;
  int mode;
  const char* argument;
  const char* response;
};

void ExpectParse(const Case& c) {
  CommandLine parsed = ParseCommandLine(c.text);
  EXPECT_EQ(parsed.runMode, c.mode) << "\"" << c.text << "\"";
  EXPECT_EQ(parsed.argument, c.argument) << "\"" << c.text << "\"";
  EXPECT_EQ(parsed.responseFile, c.response) << "\"" << c.text << "\"";
}

TEST(CommandLineTest, OptionsSelectTheRunMode) {
  const Case cases[] = {
      {"", kRunInstall, "", ""},
      {"   ", kRunInstall, "", ""},
      {"-e C:\\Down\\Demo.exe", kRunFromExtractor, "C:\\Down\\Demo.exe", ""},
      {"/E    C:\\Down\\Demo.exe  ", kRunFromExtractor, "C:\\Down\\Demo.exe", ""},
      {"-eC:\\x.exe", kRunFromExtractor, "C:\\x.exe", ""},
      {"-m C:\\App\\Demo.inf", kRunMaintenance, "C:\\App\\Demo.inf", ""},
      {"/M C:\\App\\Demo.inf", kRunMaintenance, "C:\\App\\Demo.inf", ""},
      {"-u C:\\Program Files\\Demo\\Demo.inf", kRunUninstall, "C:\\Program Files\\Demo\\Demo.inf",
       ""},
      {"-U x", kRunUninstall, "x", ""},
      {"-u \"C:\\Program Files\\Demo\\Demo.inf\"", kRunUninstall,
       "C:\\Program Files\\Demo\\Demo.inf", ""},
      {"-r \"C:\\Windows\\Temp\\Demo.inf\"", kRunUninstallCopy, "C:\\Windows\\Temp\\Demo.inf", ""},
      {"-r C:\\Windows\\Temp\\Demo.inf", kRunUninstallCopy, "C:\\Windows\\Temp\\Demo.inf", ""},
      {"-f C:\\App\\Demo.inf", kRunUninstallSilent, "C:\\App\\Demo.inf", ""},
      {"/F C:\\App\\Demo.inf", kRunUninstallSilent, "C:\\App\\Demo.inf", ""},
  };
  for (const Case& c : cases) ExpectParse(c);
}

TEST(CommandLineTest, ResponseFiles) {
  const Case cases[] = {
      {"-s C:\\resp.ini", kRunInstall, "", "C:\\resp.ini"},
      {"/S C:\\resp.ini", kRunInstall, "", "C:\\resp.ini"},
      {"-e C:\\Down\\Demo.exe | -s \"C:\\My Files\\resp.ini\"", kRunFromExtractor,
       "C:\\Down\\Demo.exe", "C:\\My Files\\resp.ini"},
      {"-e C:\\Down\\Demo.exe | -s C:\\resp.ini", kRunFromExtractor, "C:\\Down\\Demo.exe",
       "C:\\resp.ini"},
      {"-e C:\\Down\\Demo.exe|/Sresp.ini", kRunFromExtractor, "C:\\Down\\Demo.exe", "resp.ini"},
      {"-m C:\\App\\Demo.inf | -s   C:\\r.ini  ", kRunMaintenance, "C:\\App\\Demo.inf",
       "C:\\r.ini"},
      // A later -s field takes precedence over a first-field -s.
      {"-s a.ini | -s b.ini", kRunInstall, "", "b.ini"},
      // The second field is everything after the first "|".
      {"-e C:\\a | -sx | y", kRunFromExtractor, "C:\\a", "x | y"},
  };
  for (const Case& c : cases) ExpectParse(c);
}

TEST(CommandLineTest, RejectedLines) {
  const char* rejected[] = {
      "-x C:\\a",            // unknown letter
      "-e",                  // option without argument
      "/m",                  //
      "-e   ",               // blanks do not make an argument
      "e C:\\a",             // no option character
      "C:\\Down\\Demo.exe",  //
      "-e C:\\a | -x b",     // second field that is not -s
      "-e C:\\a | s b",      //
      "-e C:\\a | -s",       // -s without a file
      "| -s C:\\resp.ini",   // no first field
  };
  for (const char* text : rejected) {
    CommandLine parsed = ParseCommandLine(text);
    EXPECT_EQ(parsed.runMode, kRunRejected) << "\"" << text << "\"";
  }
}

TEST(CommandLineTest, ArgumentsAreJoinedWithSingleBlanks) {
  const char* argv[] = {"Install.exe", "-e", "/tmp/My", "Demo.exe", "|", "-s", "r.ini"};
  EXPECT_EQ(JoinArguments(7, argv), "-e /tmp/My Demo.exe | -s r.ini");
  EXPECT_EQ(JoinArguments(1, argv), "");
  CommandLine parsed = ParseCommandLine(JoinArguments(7, argv));
  EXPECT_EQ(parsed.runMode, kRunFromExtractor);
  EXPECT_EQ(parsed.argument, "/tmp/My Demo.exe");
  EXPECT_EQ(parsed.responseFile, "r.ini");
}

}  // namespace
}  // namespace vx
