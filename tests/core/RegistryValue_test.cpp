#include <gtest/gtest.h>

#include <fstream>

#include "engine/base/RegistryHelpers.h"
#include "engine/actions/RegistryDword.h"
#include "engine/actions/ValueSource.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/Types.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

// The raw value as stored: type and bytes; type kRegNone when it cannot be read.
RegValue Stored(HKEY root, const std::string& subkey, const std::string& name) {
  RegValue out;
  HKEY key = 0;
  if (RegOpenKeyEx(root, subkey, kKeyRead, &key) != kErrorSuccess) return out;
  std::vector<RegValue> values;
  RegEnumValues(key, &values);
  RegCloseKey(key);
  for (const RegValue& v : values)
    if (v.name == name) out = v;
  return out;
}

bool KeyExists(HKEY root, const std::string& subkey) {
  HKEY key = 0;
  if (RegOpenKeyEx(root, subkey, kKeyRead, &key) != kErrorSuccess) return false;
  RegCloseKey(key);
  return true;
}

using RegistryHelpersTest = CoreTest;

TEST_F(RegistryHelpersTest, RootNamesMatchExactly) {
  EXPECT_EQ(RootKeyFromName("HKEY_DYN_DATA"), kHkeyDynData);
  EXPECT_EQ(RootKeyFromName("HKEY_PERFORMANCE_DATA"), 0u);
  EXPECT_EQ(RootKeyFromName("hkey_current_user"), 0u);
  EXPECT_EQ(RootKeyFromName(" HKEY_USERS"), 0u);
}

TEST_F(RegistryHelpersTest, StringsAreStoredWithoutTheirZeroUnderTheEngineClass) {
  WriteRegistryString(kHkeyCurrentUser, "Software\\Acme\\Demo", "Path", "abc");
  RegValue v = Stored(kHkeyCurrentUser, "Software\\Acme\\Demo", "Path");
  EXPECT_EQ(v.type, kRegSz);
  EXPECT_EQ(v.data, "abc");
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyCurrentUser, "Software\\Acme\\Demo", kKeyRead, &key), kErrorSuccess);
  std::string keyClass;
  RegQueryKeyClass(key, &keyClass);
  RegCloseKey(key);
  EXPECT_EQ(keyClass, "Tessaro default");
  std::string text = "preset";
  ReadRegistryString(kHkeyCurrentUser, "software\\acme\\demo", "Path", text);
  EXPECT_EQ(text, "abc");
}

TEST_F(RegistryHelpersTest, EmptyValuesDeleteTheValueAndEmptyNamesTheKey) {
  WriteRegistryString(kHkeyCurrentUser, "Software\\X", "Y", "1");
  WriteRegistryString(kHkeyCurrentUser, "Software\\X", "Z", "2");
  WriteRegistryString(kHkeyCurrentUser, "Software\\X", "Y", "");
  EXPECT_EQ(Stored(kHkeyCurrentUser, "Software\\X", "Y").type, kRegNone);
  EXPECT_EQ(Stored(kHkeyCurrentUser, "Software\\X", "Z").data, "2");
  WriteRegistryString(kHkeyCurrentUser, "Software\\X", "", "ignored");
  EXPECT_FALSE(KeyExists(kHkeyCurrentUser, "Software\\X"));
  EXPECT_TRUE(KeyExists(kHkeyCurrentUser, "Software"));
}

TEST_F(RegistryHelpersTest, UnknownRootsAndEmptySubkeysChangeNothing) {
  WriteRegistryString(0, "Software\\Y", "V", "1");
  EXPECT_FALSE(KeyExists(kHkeyCurrentUser, "Software\\Y"));
  WriteRegistryString(kHkeyCurrentUser, "Software\\Keep", "V", "1");
  // No subkey and no value name must not take a whole root key with it.
  WriteRegistryString(kHkeyCurrentUser, "", "", "");
  EXPECT_EQ(Stored(kHkeyCurrentUser, "Software\\Keep", "V").data, "1");
  WriteRegistryDword(0, "Software\\Y", "N", 5);
  EXPECT_TRUE(ui->Shown().empty());
}

TEST_F(RegistryHelpersTest, ReadsLeaveTheCallersValueOnFailure) {
  std::string text = "preset";
  ReadRegistryString(kHkeyCurrentUser, "Software\\Missing", "V", text);
  ReadRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "Nope",
                     text);
  ReadRegistryString(0, "Software", "V", text);
  EXPECT_EQ(text, "preset");
  std::uint32_t number = 77;
  ReadRegistryDword(kHkeyCurrentUser, "Software\\Missing", "V", number);
  EXPECT_EQ(number, 77u);
  // A string of three bytes is no double word; a double word is no string.
  WriteRegistryString(kHkeyCurrentUser, "Software\\Mixed", "S", "abc");
  WriteRegistryDword(kHkeyCurrentUser, "Software\\Mixed", "D", 0x01020304);
  ReadRegistryDword(kHkeyCurrentUser, "Software\\Mixed", "S", number);
  EXPECT_EQ(number, 77u);
  ReadRegistryString(kHkeyCurrentUser, "Software\\Mixed", "D", text);
  EXPECT_EQ(text, "preset");
  ReadRegistryDword(kHkeyCurrentUser, "Software\\Mixed", "D", number);
  EXPECT_EQ(number, 0x01020304u);
  EXPECT_EQ(Stored(kHkeyCurrentUser, "Software\\Mixed", "D").data,
            std::string("\x04\x03\x02\x01", 4));
}

TEST_F(RegistryHelpersTest, ProgramFilesComesFromTheRegistry) {
  WriteRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                      "ProgramFilesDir", "D:\\Programs");
  FillFolderValues();
  EXPECT_EQ(Folders().programFiles, "D:\\Programs");
  // A value that does not fit the 260-byte buffer gives no folder rather than a cut one.
  WriteRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                      "ProgramFilesDir", "D:\\" + std::string(300, 'p'));
  FillFolderValues();
  EXPECT_EQ(Folders().programFiles, "");
}

class RegistryPermissionTest : public CoreTest {
 protected:
  RegistryPermissionTest() {
    std::ofstream ini(machine.Dir() + "/machine.ini", std::ios::binary | std::ios::trunc);
    ini << "[Machine]\r\nPlatform=NT\r\nAdmin=0\r\n";
    ini.close();
    Machine::SetCurrent(machine.Dir());
  }
};

TEST_F(RegistryPermissionTest, ADwordThatMayNotBeWrittenShowsThePermissionMessage) {
  UseScript({"[<ScreenLayout>]", "MsgBoxCaption=Demo Setup"});
  WriteRegistryDword(kHkeyLocalMachine, "Software\\Demo", "Count", 1);
  std::vector<std::string> shown = ui->Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0],
            "Demo Setup | You have no permission to modify the system registry. "
            "Please\\r\\nre-login as the administrator and install this product again to make "
            "it fully working. | ok");
  // The same user may write below HKEY_CURRENT_USER, silently.
  WriteRegistryDword(kHkeyCurrentUser, "Software\\Demo", "Count", 1);
  EXPECT_EQ(ui->Shown().size(), 1u);
  WriteRegistryString(kHkeyLocalMachine, "Software\\Demo", "Name", "x");
  EXPECT_EQ(ui->Shown().size(), 1u);
}

using ValueSourceTest = CoreTest;

TEST_F(ValueSourceTest, OrdinaryValuesAreOnlyExpanded) {
  UseScript({"[<General>]", "ProductName=Demo"});
  std::string value = "C:\\Tools\\{ProductName}";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "C:\\Tools\\Demo");
  value = "D:\\Data";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "D:\\Data");
  value = "";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "");
}

TEST_F(ValueSourceTest, RegistrySource) {
  std::string value =
      "?1:HKEY_LOCAL_MACHINE|Software\\Microsoft\\Windows\\CurrentVersion|ProgramFilesDir";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "C:\\Program Files");
  value = "?1:HKEY_LOCAL_MACHINE|Software\\Missing|X";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "?1:HKEY_LOCAL_MACHINE|Software\\Missing|X");
  value = "?1: hkey_local_machine | Software\\Microsoft\\Windows\\CurrentVersion | ProgramFilesDir";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value.rfind("?1:", 0), 0u);
}

TEST_F(ValueSourceTest, IniSource) {
  WriteIni("C:\\app.ini", {"[Main]", "Path=D:\\App"});
  std::string value = "?2:C:\\app.ini|Main|Path";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "D:\\App");
  value = "?2:C:\\app.ini|Main|Missing";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "");
  // An empty file name reads nothing, not the bootstrap file.
  WriteIni("C:\\Src\\Install.ini", {"[Main]", "Path=bootstrap"});
  SetBootstrapFile("C:\\Src\\Install.ini");
  value = "?2:|Main|Path";
  EXPECT_TRUE(ResolveValue(value));
  EXPECT_EQ(value, "");
}

TEST_F(ValueSourceTest, FileSearchAndUnknownSources) {
  std::string value = "?3:notes.txt";
  EXPECT_TRUE(ResolveValue(value));  // whatever the search finds
  value = "?9:anything";
  EXPECT_FALSE(ResolveValue(value));
  value = "?:x";
  EXPECT_FALSE(ResolveValue(value));
}

}  // namespace
}  // namespace vx::test
