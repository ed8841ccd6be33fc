#include "engine/run/SwitchAnswers.h"

#include <algorithm>

#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/Store.h"
#include "engine/ui/WizardPages.h"
#include "platform/Files.h"
#include "platform/ProfileParse.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr char kSummary[] = "<InstSummaryWnd>";
constexpr char kTypes[] = "<InstTypeListWnd>";
constexpr char kDestinations[] = "<Destinations>";
constexpr const char* kUserKeys[3] = {"AskUserName", "AskCompany", "AskEmail"};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string InstalledTypeSection() { return ReadScriptString(kSummary, "InstalledType"); }

bool ApplyType(const std::string& wanted, std::string& error) {
  int n = ReadScriptInt(kTypes, "nItems");
  for (int i : ScriptListItems(kTypes, "", 0, n - 1)) {
    std::string line = ReadScriptString(kTypes, std::to_string(i));
    std::string name = NextField(line);
    if (!name.empty() && winpath::EqualsNoCase(name, wanted)) {
      WriteScriptString(kSummary, "InstalledType", name);
      return true;
    }
  }
  error = "/TYPE=" + wanted + " names no install type of this product";
  return false;
}

bool ApplyComponents(const std::string& list, std::string& error) {
  std::vector<std::string> wanted = SwitchComponentNames(list);
  std::string section = InstalledTypeSection();
  int n = ReadScriptInt(section, "nItems");
  std::vector<bool> found(wanted.size(), false);
  ScriptKeys lines;
  for (int i : ScriptListItems(section, "", 0, n - 1)) {
    std::string key = std::to_string(i);
    std::string line = ReadScriptString(section, key);
    std::string rest = line;
    std::string name = NextField(rest);
    bool enabled = NextField(rest) == "1";
    if (line.empty() || name.empty()) continue;
    auto at = std::find_if(wanted.begin(), wanted.end(),
                           [&](const std::string& w) { return winpath::EqualsNoCase(w, name); });
    bool named = at != wanted.end();
    if (named) found[std::size_t(at - wanted.begin())] = true;
    // A component the user cannot change keeps its flag, as on the component page.
    if (!enabled) {
      if (named && line.back() != '1') {
        error =
            "/COMPONENTS= names " + Quoted(name) + ", which this product does not let be chosen";
        return false;
      }
      continue;
    }
    line.back() = named ? '1' : '0';
    lines.emplace_back(key, line);
  }
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    if (!found[i]) {
      error = "/COMPONENTS= names " + Quoted(wanted[i]) + ", which is no component of " +
              (section.empty() ? std::string("this product") : "[" + section + "]");
      return false;
    }
  }
  WriteScriptStrings(section, lines);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  FileHandle h = CreateFile(path, kGenericWrite, 0, Disposition::CreateAlways);
  if (h == kInvalidHandle) return false;
  std::uint32_t written = 0;
  bool ok =
      WriteFile(h, text.data(), std::uint32_t(text.size()), &written) && written == text.size();
  return CloseHandle(h) && ok;
}

}  // namespace

bool ApplySwitchAnswers(const Switches& switches, std::string& error) {
  if (!switches.type.empty() && !ApplyType(switches.type, error)) return false;
  if (!switches.components.empty() && !ApplyComponents(switches.components, error)) return false;
  if (!switches.dir.empty()) {
    // The folder must be one the destination page would take: absolute, and no ".." above
    // its drive.
    std::string drive, directory;
    SplitDrivePath(switches.dir, drive, directory);
    if (!winpath::IsAbsolute(switches.dir) || !SoundDestinationDirectory(directory)) {
      error = "/DIR=" + switches.dir + " is no folder a product can be installed in";
      return false;
    }
    WriteScriptString(kDestinations, "InstallPath1", switches.dir);
  }
  return true;
}

bool WriteResponseFile(const std::string& file, UserAnswers users) {
  std::string text = "[ResponseFile]\r\n";
  auto add = [&text](const std::string& key, const std::string& value) {
    // A value is one line: a line break would start another key.
    text += key + "=" + std::string(profile::FirstLine(value)) + "\r\n";
  };
  UserInfoPage page;
  page.Initialise();
  std::string userKey = Expanded("Software\\{VendorName}\\{ProductName}\\UserInfo");
  for (int i = 0; i < 3; ++i) {
    const UserInfoPage::Field& f = page.fields[std::size_t(i)];
    if (!f.asked) continue;
    std::string value = f.value;
    if (users == UserAnswers::Given)
      ReadRegistryString(kHkeyCurrentUser, userKey, f.valueName, value);
    add(kUserKeys[i], value);
  }
  std::string type = InstalledTypeSection();
  add("InstalledType", type);
  // Only the lines present: a missing one reads as empty, and stays so, either way.
  for (int i : ScriptListItems(type, "", 0, ReadScriptInt(type, "nItems") - 1)) {
    std::string line = ReadScriptString(type, std::to_string(i));
    if (line.empty()) continue;
    add("Component" + std::to_string(i + 1), line.back() == '1' ? "1" : "0");
  }
  for (int d :
       ScriptListItems(kDestinations, "InstallPath", 1, ReadScriptInt(kDestinations, "nItems"))) {
    std::string key = "InstallPath" + std::to_string(d);
    if (ReadScriptString(kDestinations, key).empty()) continue;
    add(key, ReadScriptString(kDestinations, key));
  }
  return WriteWholeFile(file, text);
}

}  // namespace vx
