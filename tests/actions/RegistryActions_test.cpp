#include <gtest/gtest.h>

#include "engine/actions/ActionLine.h"
#include "engine/base/RegistryHelpers.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Types.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

class RegistryActionsTest : public ActionTest {
 protected:
  // The raw value, or "<missing>".
  static std::string Raw(HKEY root, const std::string& subkey, const std::string& name,
                         std::uint32_t* typeOut = nullptr) {
    HKEY key = 0;
    if (RegOpenKeyEx(root, subkey, kKeyRead, &key) != kErrorSuccess) return "<missing>";
    char data[1024];
    std::uint32_t size = sizeof data, type = 0;
    std::int32_t r = RegQueryValueEx(key, name, &type, data, &size);
    RegCloseKey(key);
    if (r != kErrorSuccess) return "<missing>";
    if (typeOut) *typeOut = type;
    return std::string(data, size);
  }
  static bool KeyExists(HKEY root, const std::string& subkey) {
    HKEY key = 0;
    if (RegOpenKeyEx(root, subkey, kKeyRead, &key) != kErrorSuccess) return false;
    RegCloseKey(key);
    return true;
  }
};

TEST_F(RegistryActionsTest, WriteCreatesTheKeyWithItsClassAndAStringWithoutTerminator) {
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\Vendor\\App | Name | abc");
  std::uint32_t type = 0;
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\Vendor\\App", "Name", &type), "abc");
  EXPECT_EQ(type, kRegSz);
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyCurrentUser, "Software\\Vendor\\App", kKeyRead, &key), kErrorSuccess);
  std::string keyClass;
  RegQueryKeyClass(key, &keyClass);
  RegCloseKey(key);
  EXPECT_EQ(keyClass, "Tessaro default");
}

TEST_F(RegistryActionsTest, EmptyValueDeletesTheValueAndEmptyNameTheKey) {
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\V\\A | One | 1");
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\V\\A | Two | 2");
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\V\\A | One |");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\V\\A", "One"), "<missing>");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\V\\A", "Two"), "2");
  // The uninstall-list form: an empty value name removes the key.
  RunActionLine(
      "? | If (1 == 1) | 4 | Remove Registry settings | HKEY_CURRENT_USER | Software\\V\\A |  |");
  EXPECT_FALSE(KeyExists(kHkeyCurrentUser, "Software\\V\\A"));
  EXPECT_TRUE(KeyExists(kHkeyCurrentUser, "Software\\V"));
}

TEST_F(RegistryActionsTest, RootNamesAreExactAndRootsAreNeverDeleted) {
  RunActionLine("? | () | 4 | t | hkey_current_user | Software\\Low | N | v");
  EXPECT_FALSE(KeyExists(kHkeyCurrentUser, "Software\\Low"));
  RunActionLine("? | () | 4 | t | HKEY_PERFORMANCE_DATA | Software\\Low | N | v");
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\Keep | N | v");
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER |  |  |");
  RunUninstallActionLine("? | () | 4 | t | HKEY_CURRENT_USER |  |  |");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\Keep", "N"), "v");
}

TEST_F(RegistryActionsTest, ValueSourcesFeedTheValue) {
  RunActionLine(
      "? | () | 4 | t | HKEY_CURRENT_USER | Software\\App | Dir | "
      "?1:HKEY_LOCAL_MACHINE|Software\\Microsoft\\Windows\\CurrentVersion|ProgramFilesDir");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\App", "Dir"), "C:\\Program Files");

  WriteIni("C:\\app.ini", {"[Main]", "Path=D:\\Data"});
  RunActionLine("? | () | 3 | t | C:\\Out.ini | S | K | ?2:C:\\app.ini|Main|Path");
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", "C:\\Out.ini"), "D:\\Data");

  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\App | Bad | ?9:anything");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\App", "Bad"), "<missing>");
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\App | Plain | C:\\Tools");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\App", "Plain"), "C:\\Tools");
}

TEST_F(RegistryActionsTest, IniWriteKeepsEmptyValuesAndItsUndoRemovesTheKey) {
  machine.WriteFile("C:\\Cfg\\readme.txt", "");
  RunActionLine("? | () | 3 | t | C:\\Cfg\\app.ini | Main | Empty |");
  RunActionLine("? | () | 3 | t | C:\\Cfg\\app.ini | Main | Full | {ProductName}");
  EXPECT_EQ(GetProfileKeyNames("Main", "C:\\Cfg\\app.ini"),
            (std::vector<std::string>{"Empty", "Full"}));
  EXPECT_EQ(GetPrivateProfileString("Main", "Full", "", "C:\\Cfg\\app.ini"), "Test App");

  RunUninstallActionLine("? | () | 3 | t | C:\\Cfg\\app.ini | Main | Empty | ignored");
  EXPECT_EQ(GetProfileKeyNames("Main", "C:\\Cfg\\app.ini"), (std::vector<std::string>{"Full"}));
}

TEST_F(RegistryActionsTest, IniLinesWithoutFileSectionOrKeyWriteNothing) {
  RunActionLine("? | () | 3 | t |  | Main | K | v");
  RunActionLine("? | () | 3 | t | C:\\Cfg\\b.ini |  | K | v");
  RunActionLine("? | () | 3 | t | C:\\Cfg\\b.ini | Main |  | v");
  EXPECT_TRUE(GetProfileSectionNames("C:\\Cfg\\b.ini").empty());
  EXPECT_EQ(GetPrivateProfileString("<General>", "ProjectName", "", "C:\\Setup\\Install.ini"),
            "App");
}

TEST_F(RegistryActionsTest, UndoOfAWriteRemovesExactlyThatValue) {
  const std::string line =
      "? | () | 4 | t | HKEY_CURRENT_USER | Software\\U | MainPath | C:\\App\\";
  RunActionLine(line);
  RunActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\U | Other | x");
  RunUninstallActionLine(line);
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\U", "MainPath"), "<missing>");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\U", "Other"), "x");
  // Undo of a value source line does not consult the source.
  RunUninstallActionLine("? | () | 4 | t | HKEY_CURRENT_USER | Software\\U | Other | ?9:x");
  EXPECT_EQ(Raw(kHkeyCurrentUser, "Software\\U", "Other"), "<missing>");
}

}  // namespace
}  // namespace vx::test
