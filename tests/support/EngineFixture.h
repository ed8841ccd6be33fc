// A fresh machine and a fresh run (a quiet headless UI) for each test.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/HeadlessUi.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx::test {

class EngineTest : public FreshRunTest {
 protected:
  explicit EngineTest(const std::string& platform = "NT") : machine(platform) {
    ui = Headless();
    FillFolderValues();
  }

  // Writes an INI text (lines joined with CR LF) at a Windows path.
  void WriteIni(const std::string& winPath, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    machine.WriteFile(winPath, text);
  }
  // Writes the script and names it the working copy.
  void UseScript(const std::vector<std::string>& lines,
                 const std::string& winPath = "C:\\Setup\\App.inf") {
    WriteIni(winPath, lines);
    SetScriptFile(winPath);
  }

  TestMachine machine;
  HeadlessUi* ui = nullptr;
};

}  // namespace vx::test
