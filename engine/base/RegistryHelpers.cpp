#include "engine/base/RegistryHelpers.h"

#include <cstring>

#include "engine/base/RunJournal.h"
#include "engine/base/RunReport.h"
#include "platform/Types.h"

namespace vx {

namespace {

constexpr char kKeyClass[] = "Tessaro default";
constexpr std::uint32_t kStringBuffer = 1024;

struct RootName {
  const char* name;
  HKEY key;
};
constexpr RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},     {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},   {"HKEY_USERS", kHkeyUsers},
    {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig}, {"HKEY_DYN_DATA", kHkeyDynData},
};

bool CreateKey(HKEY root, std::string_view subkey, HKEY* key) {
  if (root == 0) return false;
  return RegCreateKeyEx(root, subkey, kKeyClass, kKeyAllAccess, key) == kErrorSuccess;
}

bool OpenKey(HKEY root, std::string_view subkey, HKEY* key) {
  if (root == 0) return false;
  return RegOpenKeyEx(root, subkey, kKeyAllAccess, key) == kErrorSuccess;
}

}  // namespace

HKEY RootKeyFromName(std::string_view name) {
  for (const RootName& r : kRoots)
    if (name == r.name) return r.key;
  return 0;
}

void WriteRegistryString(HKEY root, std::string_view subkey, std::string_view valueName,
                         std::string_view value) {
  if (root == 0) return;
  if (valueName.empty()) {
    // An action line with neither subkey nor value name would otherwise ask to delete a
    // whole root key (on 9x with every branch below it).
    if (subkey.empty()) return;
    RegDeleteKey(root, subkey);
    return;
  }
  HKEY key = 0;
  const char* rootName = RootKeyName(root);
  LogStep("registry", std::string(rootName ? rootName : "(open key)") + "\\" + std::string(subkey) +
                          " " + std::string(valueName) +
                          (value.empty() ? " deleted" : "=" + std::string(value)));
  // What the value held goes into the run's journal first: without it no rollback could put
  // it back, so the write does not happen.
  if (!Journal().BeforeRegistryWrite(root, subkey, valueName)) {
    NoteFailure("cannot note the registry value " + std::string(valueName) +
                " in the installation journal");
    return;
  }
  if (!CreateKey(root, subkey, &key)) return;
  if (!value.empty()) {
    // The data is the text's characters without a terminating zero, as scripts expect.
    RegSetValueEx(key, valueName, kRegSz, value.data(), static_cast<std::uint32_t>(value.size()));
  } else {
    RegDeleteValue(key, valueName);
  }
  RegCloseKey(key);
}

bool SetRegistryDword(HKEY root, std::string_view subkey, std::string_view valueName,
                      std::uint32_t number) {
  HKEY key = 0;
  if (!CreateKey(root, subkey, &key)) return false;
  unsigned char data[4] = {
      static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
      static_cast<unsigned char>(number >> 16), static_cast<unsigned char>(number >> 24)};
  RegSetValueEx(key, valueName, kRegDword, data, 4);
  RegCloseKey(key);
  return true;
}

void ReadRegistryString(HKEY root, std::string_view subkey, std::string_view valueName,
                        std::string& text) {
  HKEY key = 0;
  if (!OpenKey(root, subkey, &key)) return;
  char buffer[kStringBuffer];
  std::uint32_t size = sizeof buffer;
  std::uint32_t type = kRegNone;
  std::int32_t rc = RegQueryValueEx(key, valueName, &type, buffer, &size);
  RegCloseKey(key);
  // Only string data reads as a text; a number's bytes would make no sense here.
  if (rc != kErrorSuccess || (type != kRegSz && type != 2 /* REG_EXPAND_SZ */)) return;
  if (size > sizeof buffer) return;
  // The stored data need not end with a zero; the text stops at the first one and never
  // runs past the buffer (1023 characters at most, as through the 1024-byte buffer).
  std::size_t length = strnlen(buffer, size);
  if (length >= kStringBuffer) length = kStringBuffer - 1;
  text.assign(buffer, length);
}

void ReadRegistryDword(HKEY root, std::string_view subkey, std::string_view valueName,
                       std::uint32_t& number) {
  HKEY key = 0;
  if (!OpenKey(root, subkey, &key)) return;
  unsigned char data[4] = {};
  std::uint32_t size = sizeof data;
  std::uint32_t type = kRegNone;
  std::int32_t rc = RegQueryValueEx(key, valueName, &type, data, &size);
  RegCloseKey(key);
  // A shorter value (a string of one to three bytes) would leave half a number.
  if (rc != kErrorSuccess || type != kRegDword || size != 4) return;
  number = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

}  // namespace vx
