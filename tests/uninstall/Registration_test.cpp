#include "engine/uninstall/Registration.h"

#include "tests/uninstall/UninstallFixture.h"

namespace vx::test {
namespace {

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class RegistrationTest : public UninstallTest {
 protected:
  void UseScript(const std::string& general) {
    machine.WriteFile("C:\\Setup\\App.inf",
                      "[<General>]\r\n" + general +
                          "[<Destinations>]\r\nInstallPath1=C:\\Program Files\\Acme Pad\r\n");
    SetScriptFile("C:\\Setup\\App.inf");
  }
};

TEST_F(RegistrationTest, WritesTheEntryWithExpandedTexts) {
  UseScript("ProductName=Acme Pad\r\nProjectName=AcmePad\r\n");
  EXPECT_TRUE(RegisterUninstall());
  std::string key = std::string(kUninstallRoot) + "\\Acme Pad";
  EXPECT_EQ(String(key, "DisplayName"), "Uninstall Acme Pad");
  EXPECT_EQ(String(key, "UninstallString"),
            "\"C:\\Program Files\\Acme Pad\\Install.exe\" -u \"C:\\Program Files\\Acme "
            "Pad\\AcmePad.inf\"");
  HKEY h = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, key, kKeyRead, &h), kErrorSuccess);
  std::string keyClass;
  RegQueryKeyClass(h, &keyClass);
  RegCloseKey(h);
  EXPECT_EQ(keyClass, "Tessaro default");

  // Registering again (a maintenance run) leaves one consistent entry.
  EXPECT_TRUE(RegisterUninstall());
  EXPECT_EQ(String(key, "DisplayName"), "Uninstall Acme Pad");
}

TEST_F(RegistrationTest, AProductWithoutANameIsNotRegistered) {
  // Another product's entry must survive: an empty name would address the Uninstall key itself.
  UseScript("ProductName=Other\r\nProjectName=Other\r\n");
  ASSERT_TRUE(RegisterUninstall());
  UseScript("ProductName=  \r\nProjectName=Nameless\r\n");
  EXPECT_FALSE(RegisterUninstall());
  EXPECT_FALSE(String(kUninstallRoot, "DisplayName").has_value());
  EXPECT_FALSE(String(kUninstallRoot, "UninstallString").has_value());
  EXPECT_EQ(String(std::string(kUninstallRoot) + "\\Other", "DisplayName"), "Uninstall Other");
}

TEST_F(RegistrationTest, AUserWhoMayNotWriteGetsNoEntryAndNoMessage) {
  Reconfigure("Platform=NT\r\nAdmin=0\r\n");
  UseScript("ProductName=Acme Pad\r\nProjectName=AcmePad\r\n");
  RegisterUninstall();
  EXPECT_FALSE(String(std::string(kUninstallRoot) + "\\Acme Pad", "DisplayName").has_value());
  EXPECT_TRUE(ui->Shown().empty());
}

}  // namespace
}  // namespace vx::test
