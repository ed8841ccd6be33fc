// The registry: value types, names without regard to case, deletes.
#include <cstring>
#include <string>

#include "platform/Registry.h"
#include "platform/Types.h"
#include "tests/conformance/Sandbox.h"

namespace vx::test {
namespace {

class Registry : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    RegDeleteKey(kHkeyCurrentUser, kKey + std::string("\\Sub"));
    RegDeleteKey(kHkeyCurrentUser, kKey);
    ASSERT_EQ(RegCreateKeyEx(kHkeyCurrentUser, kKey, "", kKeyAllAccess, &key_), kErrorSuccess);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKey(kHkeyCurrentUser, kKey + std::string("\\Sub"));
    RegDeleteKey(kHkeyCurrentUser, kKey);
    Sandbox::TearDown();
  }
  static constexpr const char* kKey = "Software\\VxConformance";
  HKEY key_ = 0;
};

TEST_F(Registry, TypesRoundTrip) {
  const char text[] = "hello";
  const std::uint32_t dword = 0x12345678;
  const char multi[] = "a\0b\0";
  const unsigned char binary[] = {0, 1, 2, 255};
  ASSERT_EQ(RegSetValueEx(key_, "Text", kRegSz, text, sizeof text), kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(key_, "Number", kRegDword, &dword, sizeof dword), kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(key_, "Multi", kRegMultiSz, multi, sizeof multi), kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(key_, "Bytes", kRegBinary, binary, sizeof binary), kErrorSuccess);
  ASSERT_EQ(RegSetValueEx(key_, "Path", kRegExpandSz, "%TEMP%", 7), kErrorSuccess);

  char buffer[64];
  std::uint32_t type = 0, size = sizeof buffer;
  ASSERT_EQ(RegQueryValueEx(key_, "TEXT", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(buffer, "hello");
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueEx(key_, "number", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  std::uint32_t back = 0;
  std::memcpy(&back, buffer, 4);
  EXPECT_EQ(back, dword);
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueEx(key_, "Multi", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(std::string(buffer, size), std::string(multi, sizeof multi));
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueEx(key_, "Bytes", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(std::string(buffer, size), std::string(reinterpret_cast<const char*>(binary), 4));
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueEx(key_, "Path", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_STREQ(buffer, "%TEMP%");

  size = 2;
  EXPECT_EQ(RegQueryValueEx(key_, "Text", &type, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, sizeof text);
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueEx(key_, "Absent", &type, buffer, &size), kErrorFileNotFound);
}

TEST_F(Registry, DeletesValuesAndOnlyLeafKeys) {
  ASSERT_EQ(RegSetValueEx(key_, "Gone", kRegSz, "x", 2), kErrorSuccess);
  EXPECT_EQ(RegDeleteValue(key_, "GONE"), kErrorSuccess);
  EXPECT_EQ(RegDeleteValue(key_, "Gone"), kErrorFileNotFound);
  HKEY sub = 0;
  ASSERT_EQ(RegCreateKeyEx(key_, "Sub", "", kKeyAllAccess, &sub), kErrorSuccess);
  RegCloseKey(sub);
  // A key with subkeys stays (the NT family).
  EXPECT_NE(RegDeleteKey(kHkeyCurrentUser, kKey), kErrorSuccess);
  EXPECT_EQ(RegDeleteKey(key_, "SUB"), kErrorSuccess);
  std::vector<std::string> names;
  ASSERT_EQ(RegEnumKeyNames(key_, &names), kErrorSuccess);
  EXPECT_TRUE(names.empty());
}

}  // namespace
}  // namespace vx::test
