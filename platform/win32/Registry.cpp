// The registry through advapi32. The platform's root keys carry the 32-bit values of the
// HKEY_* constants; Windows' own are those values sign-extended, so they are mapped here.
#include "platform/win32/WinApi.h"

#include "platform/Registry.h"

namespace vx {

using win32::ReportCode;
using win32::Z;

namespace {

::HKEY Native(HKEY key) {
  if (key >= kHkeyClassesRoot && key <= kHkeyDynData)
    return reinterpret_cast<::HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  return reinterpret_cast<::HKEY>(key);
}

HKEY Ours(::HKEY key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

std::int32_t RegCreateKeyEx(HKEY root, std::string_view subkey, std::string_view keyClass,
                            std::uint32_t access, HKEY* result) {
  ::HKEY key = nullptr;
  std::string cls = Z(keyClass);
  const LONG r =
      ::RegCreateKeyExA(Native(root), Z(subkey).c_str(), 0, cls.empty() ? nullptr : cls.data(),
                        REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  if (r == ERROR_SUCCESS && result) *result = Ours(key);
  return ReportCode(r);
}

std::int32_t RegOpenKeyEx(HKEY root, std::string_view subkey, std::uint32_t access, HKEY* result) {
  ::HKEY key = nullptr;
  const LONG r = ::RegOpenKeyExA(Native(root), Z(subkey).c_str(), 0, access, &key);
  if (r == ERROR_SUCCESS && result) *result = Ours(key);
  return ReportCode(r);
}

std::int32_t RegCloseKey(HKEY key) { return ReportCode(::RegCloseKey(Native(key))); }

std::int32_t RegSetValueEx(HKEY key, std::string_view name, std::uint32_t type, const void* data,
                           std::uint32_t size) {
  return ReportCode(::RegSetValueExA(Native(key), Z(name).c_str(), 0, type,
                                     static_cast<const BYTE*>(data), size));
}

std::int32_t RegQueryValueEx(HKEY key, std::string_view name, std::uint32_t* type, void* data,
                             std::uint32_t* size) {
  DWORD t = 0;
  DWORD n = size ? *size : 0;
  const LONG r = ::RegQueryValueExA(Native(key), Z(name).c_str(), nullptr, &t,
                                    static_cast<BYTE*>(data), size ? &n : nullptr);
  if (type) *type = t;
  if (size) *size = n;
  return ReportCode(r);
}

std::int32_t RegDeleteValue(HKEY key, std::string_view name) {
  return ReportCode(::RegDeleteValueA(Native(key), Z(name).c_str()));
}

std::int32_t RegDeleteKey(HKEY root, std::string_view subkey) {
  return ReportCode(::RegDeleteKeyA(Native(root), Z(subkey).c_str()));
}

std::int32_t RegEnumKeyNames(HKEY key, std::vector<std::string>* names) {
  names->clear();
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    const LONG r = ::RegEnumKeyExA(Native(key), i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return ReportCode(ERROR_SUCCESS);
    if (r != ERROR_SUCCESS) return ReportCode(r);
    names->emplace_back(name, size);
  }
}

std::int32_t RegEnumValues(HKEY key, std::vector<RegValue>* values) {
  values->clear();
  DWORD longestName = 0, longestData = 0;
  LONG r = ::RegQueryInfoKeyA(Native(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, &longestName, &longestData, nullptr, nullptr);
  if (r != ERROR_SUCCESS) return ReportCode(r);
  std::string name(longestName + 1, '\0');
  std::string data(longestData + 1, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    r = ::RegEnumValueA(Native(key), i, name.data(), &nameSize, nullptr, &type,
                        reinterpret_cast<BYTE*>(data.data()), &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) return ReportCode(ERROR_SUCCESS);
    if (r != ERROR_SUCCESS) return ReportCode(r);
    values->push_back(RegValue{name.substr(0, nameSize), type, data.substr(0, dataSize)});
  }
}

std::int32_t RegQueryKeyClass(HKEY key, std::string* keyClass) {
  char cls[256] = {};
  DWORD size = sizeof cls;
  const LONG r = ::RegQueryInfoKeyA(Native(key), cls, &size, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr);
  if (r == ERROR_SUCCESS) keyClass->assign(cls, size);
  return ReportCode(r);
}

}  // namespace vx
