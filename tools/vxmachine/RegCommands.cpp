// reg query and reg export: the machine's registry as text.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/Types.h"
#include "platform/WinPath.h"
#include "tools/vxmachine/Commands.h"

namespace vx::tool {

namespace {

constexpr std::int32_t kOk = static_cast<std::int32_t>(kErrorSuccess);

const char* TypeName(std::uint32_t type, char* buf, std::size_t size) {
  switch (type) {
    case 0:
      return "REG_NONE";
    case 1:
      return "REG_SZ";
    case 2:
      return "REG_EXPAND_SZ";
    case 3:
      return "REG_BINARY";
    case 4:
      return "REG_DWORD";
    case 5:
      return "REG_DWORD_BIG_ENDIAN";
    case 6:
      return "REG_LINK";
    case 7:
      return "REG_MULTI_SZ";
    case 11:
      return "REG_QWORD";
    default:
      std::snprintf(buf, size, "REG_TYPE_%u", type);
      return buf;
  }
}

bool IsText(std::uint32_t type) { return type == 1 || type == 2 || type == 7; }

// Text data without its terminator(s): one zero for a string, two for a string list.
std::string_view Unterminated(const RegValue& v) {
  std::string_view d = v.data;
  if (v.type == 7 && d.size() >= 2 && d.substr(d.size() - 2) == std::string_view("\0\0", 2)) {
    d.remove_suffix(2);
  } else if (!d.empty() && d.back() == '\0') {
    d.remove_suffix(1);
  }
  return d;
}

std::string Escape(std::string_view s) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || c == 127 || c == '%' || c == '|') {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

std::string Hex(std::string_view s) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
  }
  return out;
}

bool IsDword(const RegValue& v) { return v.type == kRegDword && v.data.size() == 4; }

std::uint32_t Dword(const RegValue& v) {
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i)
    n = (n << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(i)]);
  return n;
}

// The data as it appears in a NAME|TYPE|DATA line.
std::string LineData(const RegValue& v) {
  if (IsText(v.type)) return Escape(Unterminated(v));
  if (IsDword(v)) return std::to_string(Dword(v));
  return Hex(v.data);
}

std::string Line(const RegValue& v) {
  char buf[32];
  return Escape(v.name) + "|" + TypeName(v.type, buf, sizeof buf) + "|" + LineData(v);
}

// "HKEY_LOCAL_MACHINE\Software\X" (or "HKLM\...") into its root and the path below it.
bool ParseKey(std::string_view text, HKEY* root, std::string* rootName, std::string* path) {
  while (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  std::size_t cut = text.find('\\');
  std::string head(text.substr(0, cut));
  std::string upper = winpath::ToUpper(head);
  static const std::pair<const char*, const char*> kShort[] = {{"HKCR", "HKEY_CLASSES_ROOT"},
                                                               {"HKCU", "HKEY_CURRENT_USER"},
                                                               {"HKLM", "HKEY_LOCAL_MACHINE"},
                                                               {"HKU", "HKEY_USERS"},
                                                               {"HKCC", "HKEY_CURRENT_CONFIG"}};
  for (auto& [abbrev, full] : kShort) {
    if (upper == abbrev) upper = full;
  }
  *root = RootKeyByName(upper);
  if (*root == 0) return false;
  *rootName = upper;
  *path = cut == std::string_view::npos ? std::string() : std::string(text.substr(cut + 1));
  return true;
}

// Opens a key for reading; a root alone is used as it is.
bool OpenKey(HKEY root, const std::string& path, HKEY* key) {
  if (path.empty()) {
    *key = root;
    return true;
  }
  return RegOpenKeyEx(root, path, kKeyRead, key) == kOk;
}

void CloseKey(HKEY root, HKEY key) {
  if (key != root) RegCloseKey(key);
}

int KeyMissing(const std::string& key) {
  std::fprintf(stderr, "vxmachine: no key %s\n", key.c_str());
  return kExitMissing;
}

int Query(const Args& args) {
  if (args.empty() || args.size() > 2) return UsageError("usage: reg query KEY [VALUE]");
  HKEY root = 0, key = 0;
  std::string rootName, path;
  if (!ParseKey(args[0], &root, &rootName, &path))
    return UsageError("no registry root in " + args[0]);
  if (!UseMachine()) return kExitFailed;
  if (!OpenKey(root, path, &key)) return KeyMissing(args[0]);
  std::vector<RegValue> values;
  std::int32_t rc = RegEnumValues(key, &values);
  CloseKey(root, key);
  if (rc != kOk) return KeyMissing(args[0]);
  if (args.size() == 1) {
    for (const RegValue& v : values) std::printf("%s\n", Line(v).c_str());
    return kExitOk;
  }
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const RegValue& v) { return winpath::EqualsNoCase(v.name, args[1]); });
  if (it == values.end()) {
    std::fprintf(stderr, "vxmachine: no value \"%s\" in %s\n", args[1].c_str(), args[0].c_str());
    return kExitMissing;
  }
  // Just the data, as stored.
  if (it->type == 7) {
    std::string_view rest = Unterminated(*it);
    while (true) {
      std::size_t zero = rest.find('\0');
      std::string item(rest.substr(0, zero));
      std::printf("%s\n", item.c_str());
      if (zero == std::string_view::npos) break;
      rest.remove_prefix(zero + 1);
    }
  } else if (IsText(it->type)) {
    std::string_view d = Unterminated(*it);
    std::fwrite(d.data(), 1, d.size(), stdout);
    std::printf("\n");
  } else if (IsDword(*it)) {
    std::printf("%u\n", Dword(*it));
  } else {
    std::printf("%s\n", Hex(it->data).c_str());
  }
  return kExitOk;
}

void ExportKey(HKEY key, const std::string& name, int depth) {
  std::vector<RegValue> values;
  if (RegEnumValues(key, &values) == kOk && !values.empty()) {
    std::string prefix = Escape(name) + "|";
    for (const RegValue& v : values) std::printf("%s%s\n", prefix.c_str(), Line(v).c_str());
  } else {
    std::printf("%s\n", Escape(name).c_str());
  }
  // Registry paths are short by nature; a cycle or a pathological depth must not recurse away.
  if (depth > 512) return;
  std::vector<std::string> subkeys;
  if (RegEnumKeyNames(key, &subkeys) != kOk) return;
  std::sort(subkeys.begin(), subkeys.end(), [](const std::string& a, const std::string& b) {
    return winpath::ToUpper(a) < winpath::ToUpper(b);
  });
  for (const std::string& sub : subkeys) {
    HKEY child = 0;
    if (RegOpenKeyEx(key, sub, kKeyRead, &child) != kOk) continue;
    ExportKey(child, name + "\\" + sub, depth + 1);
    RegCloseKey(child);
  }
}

int Export(const Args& args) {
  if (args.size() > 1) return UsageError("usage: reg export [KEY]");
  HKEY root = 0;
  std::string rootName, path;
  if (args.size() == 1 && !ParseKey(args[0], &root, &rootName, &path)) {
    return UsageError("no registry root in " + args[0]);
  }
  if (!UseMachine()) return kExitFailed;
  if (args.empty()) {
    for (HKEY r :
         {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig}) {
      ExportKey(r, RootKeyName(r), 0);
    }
    return kExitOk;
  }
  HKEY key = 0;
  if (!OpenKey(root, path, &key)) return KeyMissing(args[0]);
  ExportKey(key, path.empty() ? rootName : rootName + "\\" + path, 0);
  CloseKey(root, key);
  return kExitOk;
}

}  // namespace

int RegCommand(const Args& args) {
  if (args.empty()) return UsageError("usage: reg query KEY [VALUE] | reg export [KEY]");
  Args rest(args.begin() + 1, args.end());
  if (args[0] == "query") return Query(rest);
  if (args[0] == "export") return Export(rest);
  return UsageError("unknown reg command " + args[0]);
}

}  // namespace vx::tool
