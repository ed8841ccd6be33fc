#include "engine/base/Macros.h"

#include <algorithm>
#include <charconv>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/Store.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

int BuiltinMacroIndex(std::string_view token) {
  static const char* const kNames[] = {"{Windows}",
                                       "{System}",
                                       "{Temp}",
                                       "{ProgramFiles}",
                                       "{InstallFromPath}",
                                       "{Programs}",
                                       "{ProductFolder}",
                                       "{StartUp}",
                                       "{Desktop}",
                                       "{Start}",
                                       "{VendorName}",
                                       "{ProductName}",
                                       "{InstallType}",
                                       "{ProductInfFile}",
                                       "{YesNoResponse}",
                                       "{SelectedStringIndex}",
                                       "{DllCallSuccess}",
                                       "{OS}",
                                       "{CR}",
                                       "{TAB}",
                                       "{$Temp}"};
  for (int i = 0; i < int(std::size(kNames)); ++i) {
    if (winpath::EqualsNoCase(token, kNames[i])) return i;
  }
  return -1;
}

namespace {

constexpr int kMaxPasses = 1000;
constexpr char kVariables[] = "<VariableList>";
constexpr char kDestinations[] = "<Destinations>";

std::string ProgramsFolderThen(const std::string& name) {
  std::string folder = ShellFolder(kCsidlPrograms);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder + name;
}

std::string OsName(int code) {
  static const char* const kNames[] = {"WIN3X", "WIN32_S", "WIN3X_FWG", "WIN9X", "WINNT"};
  if (code < 1 || code > 5) return {};
  return kNames[code - 1];
}

// The built-in macros, looked up in this order. False for a token that is none of them,
// and for {OS} on an unknown platform (it matches but has no value).
bool BuiltinValue(std::string_view token, std::string& value) {
  const FolderValues& f = Folders();
  switch (BuiltinMacroIndex(token)) {
    case 0:
      value = f.windows;
      break;
    case 1:
      value = f.system;
      break;
    case 2:
      value = f.temp;
      break;
    case 3:
      value = f.programFiles;
      break;
    case 4:
      value = f.source;
      break;
    case 5:
      value = ShellFolder(kCsidlPrograms);
      break;
    case 6:
      value = ProgramsFolderThen(ReadScriptString("<General>", "FolderName"));
      break;
    case 7:
      value = ShellFolder(kCsidlStartup);
      break;
    case 8:
      value = ShellFolder(kCsidlDesktopDirectory);
      break;
    case 9:
      value = ShellFolder(kCsidlStartMenu);
      break;
    case 10:
      value = ReadScriptString("<General>", "VendorName");
      break;
    case 11:
      value = ReadScriptString("<General>", "ProductName");
      break;
    case 12:
      value = ReadScriptString("<InstSummaryWnd>", "InstalledType");
      break;
    case 13:
      value = ReadScriptString("<General>", "ProjectName") + ".inf";
      break;
    case 14:
      value = YesNoResponse();
      break;
    case 15:
      value = std::to_string(Flags().selectedStringIndex.load());
      break;
    case 16:
      value = DllCallSuccess();
      break;
    case 17:
      value = OsName(f.platformCode);
      return !value.empty();
    case 18:
      value = "\r\n";
      break;
    case 19:
      value = "\t";
      break;
    case 20:
      value = f.source + "$Temp\\";
      break;
    default:
      return false;
  }
  return true;
}

// 1-based index of the variable whose braced name equals `token`, 0 when none does.
int FindVariable(std::string_view token) {
  for (int n : ScriptListItems(kVariables, "Variable", 1, ReadScriptInt(kVariables, "nItems"))) {
    std::string name = ReadScriptString(kVariables, "Variable" + std::to_string(n));
    if (winpath::EqualsNoCase("{" + name + "}", token)) return n;
  }
  return 0;
}

// The token without its first and last character ("{InstallPath1}" -> "InstallPath1").
std::string Unbraced(std::string_view token) {
  if (token.size() < 2) return {};
  return std::string(token.substr(1, token.size() - 2));
}

}  // namespace

void ResolveMacro(std::string& token) {
  std::string value;
  if (BuiltinValue(token, value)) {
    token = std::move(value);
    return;
  }
  // An {OS} without a platform name matched the table but has no value: it stays.
  if (winpath::EqualsNoCase(token, "{OS}")) return;
  if (token.find("InstallPath") != std::string::npos) {
    token = EnsureTrailingBackslash(ReadScriptString(kDestinations, Unbraced(token)));
    return;
  }
  if (int n = FindVariable(token))
    token = ReadScriptString(kVariables, "Value" + std::to_string(n));
}

bool ExpandOnce(std::string& text) {
  std::size_t open = text.find('{');
  std::size_t close = text.find('}');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  std::string value = text.substr(open, close - open + 1);
  ResolveMacro(value);
  std::size_t after = close + 1;
  // "{InstallPath1}\Install.exe": the folder's own backslash joins the two.
  if (!value.empty() && value.back() == '\\' && after < text.size() && text[after] == '\\') ++after;
  text = text.substr(0, open) + value + text.substr(after);
  return true;
}

bool ExpandFully(std::string& text) {
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    if (!ExpandOnce(text)) return true;
  }
  return false;
}

std::string Expanded(std::string text) {
  ExpandFully(text);
  return text;
}

void StoreVariable(const std::string& target, const std::string& value) {
  if (target.rfind("{LocaleFile}", 0) == 0) {
    SetLocaleFile(value);
    return;
  }
  if (target.find("InstallPath") != std::string::npos) {
    WriteScriptString(kDestinations, Unbraced(target), EnsureTrailingBackslash(value));
    return;
  }
  if (int n = FindVariable(target))
    WriteScriptString(kVariables, "Value" + std::to_string(n), value);
}

void DriveOfPath(std::string_view path, std::string& root, std::string& rest) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
    root = std::string(path.substr(0, 3));
    rest = std::string(path.substr(3));
  } else if (path.size() >= 2 && path[1] == ':') {
    root = std::string(path.substr(0, 2)) + "\\";
    rest = std::string(path.substr(2));
  } else {
    root = "C:\\";
    rest = std::string(path);
  }
}

bool PathIsOnDrive(std::string path, std::string_view root) {
  ExpandFully(path);
  std::string drive, rest;
  DriveOfPath(path, drive, rest);
  return winpath::EqualsNoCase(drive, root);
}

}  // namespace vx
