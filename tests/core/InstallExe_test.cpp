#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TestMachine.h"

namespace vx::test {
namespace {

struct Outcome {
  int status = -1;
  std::string errors;
};

// Runs the built Install.exe on a fresh machine; its standard error is captured.
Outcome RunInstallExe(const TestMachine& machine, const std::string& arguments) {
  std::string exe = BinDir() + "/Install.exe";
  std::string log = machine.Dir() + "/stderr.txt";
  std::string command = "'" + exe + "' " + arguments + " 2>'" + log + "' >/dev/null";
  Outcome out;
  int rc = std::system(command.c_str());
  if (rc != -1 && WIFEXITED(rc)) out.status = WEXITSTATUS(rc);
  std::ifstream in(log, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  out.errors = ss.str();
  return out;
}

class InstallExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(BinDir() + "/Install.exe"))
      GTEST_SKIP() << "Install.exe is not built";
  }
  TestMachine machine;
};

TEST_F(InstallExeTest, WithoutInstallIniItSaysSoAndFails) {
  ASSERT_FALSE(std::filesystem::exists(BinDir() + "/Install.ini"));
  Outcome o = RunInstallExe(machine, "");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.errors.find(" | File Install.ini is missing!\\n\\nTo uninstall or modify"),
            std::string::npos)
      << o.errors;
}

TEST_F(InstallExeTest, AnUnknownOptionIsRejected) {
  Outcome o = RunInstallExe(machine, "-x something");
  EXPECT_EQ(o.status, 3);
  EXPECT_NE(o.errors.find(" | An unknown command line has been passed to the Installer. | ok"),
            std::string::npos)
      << o.errors;
  o = RunInstallExe(machine, "-e");
  EXPECT_EQ(o.status, 3);
}

TEST_F(InstallExeTest, CancellingTheUninstallQuestionExitsWithTwo) {
  machine.WriteFile("C:\\Apps\\Demo\\Demo.inf", "[<General>]\r\nProductName=Demo\r\n");
  std::string answers = machine.Dir() + "/answers.txt";
  std::ofstream(answers) << "cancel\n";
  setenv("VX_ANSWERS", answers.c_str(), 1);
  Outcome o = RunInstallExe(machine, "-u 'C:\\Apps\\Demo\\Demo.inf'");
  unsetenv("VX_ANSWERS");
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.errors.find("Uninstall Demo | You have chosen to uninstall"), std::string::npos)
      << o.errors;
}

TEST_F(InstallExeTest, TheUninstallCopyRemovesTheInstalledEngine) {
  // An installed product whose engine is a copy of the built one.
  namespace fs = std::filesystem;
  fs::path folder = machine.Host("C:\\Apps\\Demo");
  fs::create_directories(folder);
  fs::copy_file(BinDir() + "/Install.exe", folder / "Install.exe");
  fs::copy_file(BinDir() + "/Karvo.dll", folder / "Karvo.dll");
  machine.WriteFile("C:\\Apps\\Demo\\Demo.inf",
                    "[<General>]\r\nProductName=Demo\r\nProjectName=Demo\r\n[<Destinations>]\r\n"
                    "nItems=1\r\nInstallPath1=C:\\Apps\\Demo\r\n[<InstSummaryWnd>]\r\n"
                    "InstalledType=<CompListWnd>\r\n[<CompListWnd>]\r\nnItems=0\r\n");
  std::string command =
      "'" + (folder / "Install.exe").string() + "' -f 'C:\\Apps\\Demo\\Demo.inf' >/dev/null 2>&1";
  int rc = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 0);
  // The copy in the temp folder runs on after this engine has ended.
  for (int i = 0; i < 200 && fs::exists(folder); ++i) usleep(100000);
  EXPECT_FALSE(fs::exists(folder / "Install.exe"));
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(fs::exists(machine.Host("C:\\Windows\\Temp\\Install.exe")));
}

}  // namespace
}  // namespace vx::test
