// The built Extract.exe as a user runs it: a copy with a payload appended, started with
// arguments, extracting into the machine's temporary folder and starting the extracted
// engine (here a script that records how it was started).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/extract/PayloadBuilder.h"
#include "tests/support/TestMachine.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

std::string ReadHostFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Waits for the engine started in the background to write its record.
std::string WaitForRecord(const fs::path& p) {
  for (int i = 0; i < 400; ++i) {
    std::string text = ReadHostFile(p);
    if (text.find("END") != std::string::npos) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return ReadHostFile(p);
}

int RunShell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ExtractProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = ReadHostFile(fs::path(BinDir()) / "Extract.exe");
    ASSERT_FALSE(image_.empty()) << "Extract.exe is not built";
    record_ = fs::path(machine_.Dir()) / "engine-record.txt";
  }

  // Writes Setup.exe with the payload into C:\Downloads and runs it with `arguments`.
  // `prefix` is shell text run before it (a folder change, variables).
  int RunSetup(const std::vector<PayloadEntry>& entries, const std::string& arguments,
               std::uint32_t count, const std::string& prefix = "") {
    machine_.WriteFile("C:\\Downloads\\Setup.exe", BuildPayloadFile(image_, entries, count));
    fs::path setup = machine_.Host("C:\\Downloads\\Setup.exe");
    fs::permissions(setup, fs::perms::owner_exec, fs::perm_options::add);
    return RunShell(prefix + " VX_RECORD='" + record_.string() + "' '" + setup.string() + "' " +
                    arguments + " 2>'" + (fs::path(machine_.Dir()) / "stderr.txt").string() + "'");
  }

  std::string Stderr() const { return ReadHostFile(fs::path(machine_.Dir()) / "stderr.txt"); }

  std::vector<PayloadEntry> Entries() const {
    const std::string engine =
        "#!/bin/sh\n"
        "{ printf '%s\\n' \"$*\"; pwd; echo END; } > \"$VX_RECORD\"\n";
    return {{"Setup.bmp", Filler(900, 'a')},
            {"Install.exe", engine},
            {"Karvo.dll", Filler(3000, 'k')},
            {"Halvik.exe", Filler(100, 'h')},
            {"Install.ini", "[<General>]\r\nProjectName=Sample\r\nSplashImg=Setup.bmp\r\n"},
            {"Sample.inf", "[<General>]\r\nProjectName=Sample\r\n"},
            {"Sample.0", Filler(5000, 'p')}};
  }

  TestMachine machine_;
  std::string image_;
  fs::path record_;
};

TEST_F(ExtractProgramTest, ExtractsAndStartsTheEngineWithItsOwnPathAndArguments) {
  auto entries = Entries();
  ASSERT_EQ(RunSetup(entries, "-s 'C:\\answers.ini'", 7), 0) << Stderr();
  std::string record = WaitForRecord(record_);
  std::string temp = GetTempPath();
  EXPECT_EQ(record, "-e C:\\Downloads\\Setup.exe | -s C:\\answers.ini\n" +
                        machine_.Host(temp.substr(0, temp.size() - 1)) + "\nEND\n");
  for (std::size_t i = 0; i + 1 < entries.size(); ++i)
    EXPECT_EQ(machine_.ReadFile(temp + entries[i].name), entries[i].data) << entries[i].name;
  EXPECT_FALSE(fs::exists(machine_.Host(temp + "Sample.0")));
}

TEST_F(ExtractProgramTest, WithoutArgumentsTheCommandLineEndsAtTheOwnPath) {
  ASSERT_EQ(RunSetup(Entries(), "", 7), 0) << Stderr();
  std::string record = WaitForRecord(record_);
  EXPECT_EQ(record.substr(0, record.find('\n')), "-e C:\\Downloads\\Setup.exe");
}

TEST_F(ExtractProgramTest, AWrongEntryCountIsRefusedWithTheMessage) {
  auto entries = Entries();
  EXPECT_EQ(RunSetup(entries, "", 11), 10);
  EXPECT_NE(Stderr().find("This application is used solely by Quillon 1.1 and up."),
            std::string::npos);
  EXPECT_FALSE(fs::exists(machine_.Host(GetTempPath() + "Install.exe")));
  EXPECT_FALSE(fs::exists(record_));
}

TEST_F(ExtractProgramTest, RelativePathsOfTheCallerAreAnchoredWhereTheCallerStands) {
  auto entries = Entries();
  entries[1].data =
      "#!/bin/sh\n"
      "{ printf '%s\\n' \"$*\" \"$VX_ANSWERS\" \"$VX_LOG\"; echo END; } > \"$VX_RECORD\"\n";
  fs::path caller = fs::path(machine_.Dir()) / "caller";
  fs::create_directories(caller);
  std::string winCaller = *Machine::Current().ToWindows(caller.string());
  std::string prefix = "cd '" + caller.string() + "' && VX_ANSWERS=a.txt VX_LOG=/l.log";
  ASSERT_EQ(RunSetup(entries, "-s sub/answers.ini", 7, prefix), 0) << Stderr();
  EXPECT_EQ(WaitForRecord(record_), "-e C:\\Downloads\\Setup.exe | -s " + winCaller +
                                        "\\sub\\answers.ini\n" + (caller / "a.txt").string() +
                                        "\n/l.log\nEND\n");
}

TEST_F(ExtractProgramTest, AnInstallerThatCannotStartHasTheExtractorsOwnStatus) {
  auto entries = Entries();
  entries[1].data = "not a program";
  EXPECT_EQ(RunSetup(entries, "", 7), 12);
  EXPECT_NE(Stderr().find("the installer could not be started"), std::string::npos) << Stderr();
}

}  // namespace
}  // namespace vx::test
