// The same product on a machine of the 9x platform: its own system folder, and the restart
// queue kept in Wininit.ini.
#include "tests/e2e/E2eSupport.h"

#include "platform/Files.h"
#include "platform/System.h"

namespace vx::test::e2e {
namespace {

class Win9x : public E2eTest {
 protected:
  Win9x() : E2eTest("9x") {}
};

TEST_F(Win9x, InstallStagesAFileInUseInWininitAndUninstallRemovesEverything) {
  ASSERT_EQ(GetSystemDirectory(), "C:\\Windows\\System");
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  const std::string app = "C:\\Program Files\\Demo\\App.exe";
  machine_.WriteFile(app, "old program");
  SetHostTime(Host(app), 600000000);
  FileHandle held = CreateFile(app, kGenericRead, kShareNone, Disposition::OpenExisting);
  ASSERT_NE(held, kInvalidHandle);

  std::string response = Response({0, 1, 2}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
  CloseHandle(held);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 4) << run.err;
  // The extracted files and the staged program wait in Wininit.ini's [Rename] section.
  std::string wininit = Read("C:\\Windows\\Wininit.ini");
  EXPECT_NE(wininit.find("[Rename]"), std::string::npos) << wininit;
  EXPECT_NE(wininit.find("NUL=C:\\Windows\\Temp\\Install.exe"), std::string::npos) << wininit;
  EXPECT_NE(wininit.find(app + "="), std::string::npos) << wininit;
  EXPECT_EQ(Read(app), "old program");

  Vxmachine({"boot"});
  EXPECT_FALSE(Exists("C:\\Windows\\Temp\\Install.exe"));
  ExpectDemoInstalled({"Core", "Docs", "Extras"}, "C:\\dist\\");

  Outcome removal =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-u", "C:\\Program Files\\Demo\\Demo.inf"},
             {"VX_WAIT=1", Answers({"ok", "yes"})});
  ASSERT_FALSE(removal.timedOut);
  EXPECT_EQ(removal.status, 0) << removal.err;
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e
