#include <algorithm>
#include <string>

#include "engine/base/PathOps.h"
#include "engine/base/Store.h"
#include "platform/WinPath.h"
#include "tools/vxpack/CheckText.h"
#include "tools/vxpack/EngineKeys.h"
#include "tools/vxpack/ScriptCheck.h"

namespace vx::pack {

namespace {

constexpr char kResponse[] = "ResponseFile";
constexpr char kUserInfo[] = "<UserInfoWnd>";

const KeyRules& ResponseKeys() {
  static const KeyRules rules{{"AskUserName", "AskCompany", "AskEmail", "InstalledType"},
                              {"Component", "InstallPath"}};
  return rules;
}

}  // namespace

void CheckResponse(const std::string& file, const std::string& text, const std::string& scriptText,
                   Diagnostics& out) {
  Diagnostics unused;
  CheckText script("", scriptText, unused);
  CheckText answers(file, text, out);
  const profile::Section* section = answers.Section(kResponse);
  if (section == nullptr) {
    answers.Warning(1, "the response file has no [ResponseFile] section: every answer is empty");
    return;
  }
  bool types = script.Int("<InstTypeListWnd>", "nItems") != 0;
  std::string list = Trim(script.Value("<InstSummaryWnd>", "InstalledType"));
  int destinations = script.Int("<Destinations>", "nItems");
  const profile::KeyLine* lastComponent = nullptr;
  int components = 0;
  // A later key of a name is never read.
  for (const profile::KeyLine* first : answers.Doc().FirstKeys(*section)) {
    const profile::KeyLine& key = *first;
    int line = answers.LineOf(key);
    std::string name(key.name);
    std::string value = answers.Value(kResponse, name);
    if (winpath::EqualsNoCase(name, "InstalledType")) {
      std::string type = Trim(value);
      if (!types) {
        if (!winpath::EqualsNoCase(type, list))
          answers.Warning(line, "the script has no install types, so InstalledType is not read");
      } else if (script.Section(type) == nullptr) {
        answers.Error(line, "the install type [" + type +
                                "] is no section of the script: nothing would be installed");
      } else {
        list = type;
      }
    } else if (winpath::EqualsNoCase(name, "AskUserName") ||
               winpath::EqualsNoCase(name, "AskCompany") ||
               winpath::EqualsNoCase(name, "AskEmail")) {
      if (script.Int(kUserInfo, "SkipThis") != 0 || script.Int(kUserInfo, name) != 1)
        answers.Warning(line, "the script does not ask for " + name + " ([<UserInfoWnd>] " + name +
                                  " is not 1 or the page is skipped): the answer is not read");
    } else if (int n = ListItemNumber(name, "Component"); n >= 0) {
      if (n > components) {
        components = n;
        lastComponent = &key;
      }
      if (n == 0) answers.Warning(line, "Component0 names no component: they count from 1");
    } else if (int d = ListItemNumber(name, "InstallPath"); d >= 0) {
      if (d < 1 || d > destinations)
        answers.Warning(
            line, name + " names no destination: the script has " + std::to_string(destinations));
    } else {
      std::string like = LookalikeKey(ResponseKeys(), name);
      answers.Warning(line,
                      "\"" + name + "\" is no answer the engine reads" +
                          (like.empty() ? std::string() : ": did you mean \"" + like + "\"?"));
    }
  }
  if (lastComponent != nullptr && script.Section(list) != nullptr) {
    int listed = std::max(0, script.Int(list, "nItems"));
    if (components > listed)
      answers.Warning(answers.LineOf(*lastComponent), "Component" + std::to_string(components) +
                                                          " names no component: [" + list +
                                                          "] lists " + std::to_string(listed));
  }
}

}  // namespace vx::pack
