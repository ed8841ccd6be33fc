#include "tools/vxpack/EngineKeys.h"

#include <map>

#include "engine/base/Store.h"
#include "platform/WinPath.h"

namespace vx::pack {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

struct Table {
  std::map<std::string, KeyRules> sections;  // lower-case name -> keys
  KeyRules component;
  KeyRules installType;
};

const Table& Keys() {
  static const Table table = [] {
    Table t;
    t.sections["<general>"] = {
        {"ProductName", "ProjectName", "VendorName", "VendorEmail", "FolderName", "TotalDisks",
         "WinCaption", "ProductVersion", "Publisher", "URLInfoAbout", "HelpLink", "DisplayIcon",
         "NoModify", "NoRepair"},
        {}};
    t.sections["<destinations>"] = {{"PathWndVisible", "nItems"},
                                    {"Description", "InstallPath", "PathEditable"}};
    t.sections["<screenlayout>"] = {
        {"Style1", "Style2", "WinBkColor", "ColorGradient", "BitBltStyle", "ImgFileName",
         "MainTitle", "MTitleX", "MTitleY", "MainFont", "SubTitle", "STitleX", "STitleY", "SubFont",
         "ProgressWndX", "ProgressWndY", "MsgBoxCaption", "WinCaption"},
        {}};
    t.sections["<variablelist>"] = {{"nItems"}, {"Variable", "Value", "Description"}};
    t.sections["<preactions>"] = {{"nItems", "DefLocale"}, {""}};
    t.sections["<welcomewnd>"] = {{"SkipThis", "ImgFileName"}, {}};
    t.sections["<licensewnd>"] = {{"SkipThis", "LicenseFile", "ImgFileName"}, {}};
    t.sections["<userinfownd>"] = {
        {"SkipThis", "ImgFileName", "AskUserName", "AskCompany", "AskEmail"}, {}};
    t.sections["<insttypelistwnd>"] = {{"nItems", "ImgFileName"}, {""}};
    t.sections["<complistwnd>"] = {{"nItems", "ImgFileName"}, {""}};
    t.sections["<instsummarywnd>"] = {{"SkipThis", "ImgFileName", "InstalledType", "InstalledFrom"},
                                      {}};
    t.sections["<completionwnd>"] = {{"SkipThis", "ImgFileName", "MoreInstruct", "nItems"}, {""}};
    t.sections["<uninstall>"] = {{"SkipThis", "PrenItems", "PostnItems"}, {"Pre", "Post"}};
    t.sections["{temp}"] = {{"nItems", "ComponentSize"}, {""}, true};
    t.sections["installedcomponents"] = {{"nItems"}, {""}};
    t.component = {{"Description", "ComponentSize", "nItems", "StartDisk", "nIcons"},
                   {"", "Icon", "Tree"},
                   true};
    t.installType = {{"nItems", "Description", "ShowComponents"}, {""}};
    return t;
  }();
  return table;
}

std::string LowerCased(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

// The name without the brackets the engine puts around its own: "<General>" -> "General".
std::string_view Inner(std::string_view name) {
  if (!name.empty() && (name.front() == '<' || name.front() == '{')) name.remove_prefix(1);
  if (!name.empty() && (name.back() == '>' || name.back() == '}')) name.remove_suffix(1);
  return name;
}

}  // namespace

const std::vector<std::string_view>& EngineSections() {
  static const std::vector<std::string_view> names = {
      "<General>",         "<Destinations>", "<ScreenLayout>",     "<VariableList>",
      "<PreActions>",      "<WelcomeWnd>",   "<LicenseWnd>",       "<UserInfoWnd>",
      "<InstTypeListWnd>", "<CompListWnd>",  "<InstSummaryWnd>",   "<CompletionWnd>",
      "<Uninstall>",       "{Temp}",         "InstalledComponents"};
  return names;
}

const KeyRules* EngineSectionKeys(std::string_view section) {
  auto it = Keys().sections.find(LowerCased(section));
  return it == Keys().sections.end() ? nullptr : &it->second;
}

const KeyRules& ComponentKeys() { return Keys().component; }
const KeyRules& InstallTypeKeys() { return Keys().installType; }

bool OneEditApart(std::string_view a, std::string_view b) {
  if (a.size() > b.size()) std::swap(a, b);
  if (b.size() - a.size() > 1) return false;
  std::size_t i = 0;
  while (i < a.size() && Lower(a[i]) == Lower(b[i])) ++i;
  if (i == a.size()) return a.size() != b.size();  // one character added at the end
  if (a.size() != b.size()) {                      // one character inserted at i
    for (std::size_t j = i; j < a.size(); ++j)
      if (Lower(a[j]) != Lower(b[j + 1])) return false;
    return true;
  }
  auto sameFrom = [&](std::size_t from) {
    for (std::size_t j = from; j < a.size(); ++j)
      if (Lower(a[j]) != Lower(b[j])) return false;
    return true;
  };
  if (sameFrom(i + 1)) return true;  // one character replaced
  return i + 1 < a.size() && Lower(a[i]) == Lower(b[i + 1]) && Lower(a[i + 1]) == Lower(b[i]) &&
         sameFrom(i + 2);  // two swapped
}

bool IsKnownKey(const KeyRules& rules, std::string_view key) {
  for (std::string_view name : rules.names)
    if (winpath::EqualsNoCase(key, name)) return true;
  for (std::string_view prefix : rules.numbered)
    if (ListItemNumber(key, prefix) >= 0) return true;
  return rules.braceKeys && key.size() >= 2 && key.front() == '{' && key.back() == '}';
}

std::string LookalikeKey(const KeyRules& rules, std::string_view key) {
  if (key.size() < 3 || IsKnownKey(rules, key)) return {};
  for (std::string_view name : rules.names)
    if (OneEditApart(key, name)) return std::string(name);
  std::size_t digits = key.size();
  while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
  if (digits == key.size() || digits == 0) return {};
  std::string_view head = key.substr(0, digits);
  for (std::string_view prefix : rules.numbered)
    if (!prefix.empty() && OneEditApart(head, prefix))
      return std::string(prefix) + std::string(key.substr(digits));
  return {};
}

std::string LookalikeSection(std::string_view section) {
  for (std::string_view engine : EngineSections()) {
    if (winpath::EqualsNoCase(section, engine)) return {};
  }
  for (std::string_view engine : EngineSections()) {
    std::string_view inner = Inner(section), engineInner = Inner(engine);
    if (OneEditApart(section, engine) || winpath::EqualsNoCase(inner, engineInner) ||
        (inner.size() >= 4 && OneEditApart(inner, engineInner)))
      return std::string(engine);
  }
  return {};
}

}  // namespace vx::pack
