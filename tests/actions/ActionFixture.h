// A fresh machine, a quiet headless UI and clean engine state for each action test, with a
// working copy of a script and a bootstrap file naming the project.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Flags.h"
#include "engine/core/Folders.h"
#include "engine/core/Store.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/support/TestMachine.h"

namespace vx::test {

class ActionTest : public ::testing::Test {
 protected:
  explicit ActionTest(const std::string& platform = "NT") : machine(platform) {
    auto headless = std::make_unique<HeadlessUi>(std::vector<std::string>{}, false);
    ui = headless.get();
    SetUi(std::move(headless));
    SetPaceFactor(0);
    ResetRunFlags();
    SetLocaleFile("");
    WriteIni("C:\\Setup\\Install.ini", {"[<General>]", "ProjectName=App"});
    SetBootstrapFile("C:\\Setup\\Install.ini");
    UseScript({"[<General>]", "ProductName=Test App", "ProjectName=App",
               "[<ScreenLayout>]", "MsgBoxCaption=Setup"});
    FillFolderValues();
  }
  ~ActionTest() override {
    SetScriptFile("");
    SetBootstrapFile("");
    SetLocaleFile("");
    ResetRunFlags();
  }

  void WriteIni(const std::string& winPath, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    machine.WriteFile(winPath, text);
  }
  void UseScript(const std::vector<std::string>& lines,
                 const std::string& winPath = "C:\\Setup\\App.inf") {
    WriteIni(winPath, lines);
    SetScriptFile(winPath);
  }
  bool Stopped() const { return Flags().stopRequest.load(); }

  // The Windows name of a built program or library beside the tests.
  static std::string Built(const std::string& name) {
    return Machine::Current().FromOutside(BinDir() + "/" + name);
  }

  TestMachine machine;
  HeadlessUi* ui = nullptr;
};

}  // namespace vx::test
