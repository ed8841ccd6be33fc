// The engine fixture for action tests, with a working copy of a script and a bootstrap file
// naming the project.
#pragma once
#include <string>

#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/support/EngineFixture.h"

namespace vx::test {

class ActionTest : public EngineTest {
 protected:
  explicit ActionTest(const std::string& platform = "NT") : EngineTest(platform) {
    SetPaceFactor(0);
    WriteIni("C:\\Setup\\Install.ini", {"[<General>]", "ProjectName=App"});
    SetBootstrapFile("C:\\Setup\\Install.ini");
    UseScript({"[<General>]", "ProductName=Test App", "ProjectName=App", "[<ScreenLayout>]",
               "MsgBoxCaption=Setup"});
    FillFolderValues();
  }

  bool Stopped() const { return Flags().stopRequest.load(); }

  // The Windows name of a built program or library beside the tests.
  static std::string Built(const std::string& name) {
    return Machine::Current().FromOutside(BinDir() + "/" + name);
  }
};

}  // namespace vx::test
