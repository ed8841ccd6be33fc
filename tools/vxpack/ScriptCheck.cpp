#include "tools/vxpack/ScriptCheck.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/Store.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"
#include "tools/vxpack/ActionCheck.h"
#include "tools/vxpack/CheckText.h"
#include "tools/vxpack/EngineKeys.h"

namespace vx::pack {

namespace {

constexpr char kGeneral[] = "<General>";
constexpr char kDestinations[] = "<Destinations>";
constexpr char kVariables[] = "<VariableList>";
constexpr char kPreActions[] = "<PreActions>";
constexpr char kCompletion[] = "<CompletionWnd>";
constexpr char kUninstall[] = "<Uninstall>";
constexpr char kCompList[] = "<CompListWnd>";
constexpr char kTypeList[] = "<InstTypeListWnd>";
constexpr char kSummary[] = "<InstSummaryWnd>";
constexpr char kTemp[] = "{Temp}";
constexpr int kMaxDestinations = 7;  // rows of the destination page

using profile::KeyLine;
using profile::Section;
using winpath::EqualsNoCase;

std::string Lower(std::string_view s) { return winpath::ToLower(std::string(s)); }
std::string Quoted(std::string_view s) {
  std::string q = "\"";
  return q.append(s).append("\"");
}

// The items present of a list: number -> the key line that holds it.
std::map<int, const KeyLine*> PresentItems(const Section* s, std::string_view prefix, int first) {
  std::map<int, const KeyLine*> items;
  if (s == nullptr) return items;
  for (const KeyLine& key : s->keys) {
    int n = ListItemNumber(key.name, prefix);
    if (n >= first) items.emplace(n, &key);
  }
  return items;
}

// The macro tokens of a text as expansion finds them: from a "{" to the next "}".
std::vector<std::string> MacroTokens(const std::string& text) {
  std::vector<std::string> tokens;
  std::size_t pos = 0;
  while (true) {
    std::size_t open = text.find('{', pos);
    if (open == std::string::npos) break;
    std::size_t close = text.find('}', open);
    if (close == std::string::npos) break;
    tokens.push_back(text.substr(open, close - open + 1));
    pos = close + 1;
  }
  return tokens;
}

bool IsDestinationToken(const std::string& token) {
  return token.find("InstallPath") != std::string::npos;
}

std::string Unbraced(const std::string& token) {
  return token.size() < 2 ? std::string() : token.substr(1, token.size() - 2);
}

class ScriptChecker {
 public:
  explicit ScriptChecker(CheckText& text) : t_(text) {}

  void Run() {
    CollectLists();
    CheckGeneral();
    CheckSectionNames();
    CheckKeyNames();
    CheckLists();
    CheckReferences();
    CheckDestinations();
    CheckLines();
    CheckMacros();
    CheckVariables();
  }

 private:
  struct ListSpec {
    std::string section;
    const char* countKey;
    const char* prefix;
    int first;
  };

  int Count(std::string_view section, std::string_view countKey) const {
    return std::max(0, t_.Int(section, countKey));
  }

  // The items of a list the engine reads, in order.
  std::vector<std::pair<int, const KeyLine*>> ReadItems(const ListSpec& list) const {
    std::vector<std::pair<int, const KeyLine*>> read;
    long long end = (long long)list.first + Count(list.section, list.countKey);
    for (auto [n, key] : PresentItems(t_.Section(list.section), list.prefix, list.first))
      if (n < end) read.emplace_back(n, key);
    return read;
  }

  std::string ItemValue(const KeyLine* key) const {
    return std::string(key->value.substr(0, kProfileBuffer - 1));
  }

  // Names in the order first added, looked up without regard to case in constant time
  // (a script may list many thousand components).
  struct Names {
    std::vector<std::string> list;
    std::unordered_set<std::string> upper;
    auto begin() const { return list.begin(); }
    auto end() const { return list.end(); }
  };

  static bool Has(const Names& names, std::string_view name) {
    return names.upper.count(winpath::ToUpper(name)) != 0;
  }

  static void AddOnce(Names& names, const std::string& name) {
    if (!name.empty() && names.upper.insert(winpath::ToUpper(name)).second)
      names.list.push_back(name);
  }

  // The component lists (the default list, each install type, the installed-type section)
  // and the component sections they name.
  void CollectLists() {
    AddOnce(lists_, kCompList);
    for (auto [n, key] : ReadItems({kTypeList, "nItems", "", 0})) {
      std::string line = ItemValue(key);
      std::string name = NextField(line);
      AddOnce(lists_, name);
      AddOnce(installTypes_, name);
    }
    AddOnce(lists_, Trim(t_.Value(kSummary, "InstalledType")));
    for (const std::string& list : lists_) {
      if (t_.Section(list) == nullptr) continue;
      for (auto [n, key] : ReadItems({list, "nItems", "", 0})) {
        std::string line = ItemValue(key);
        std::string name = NextField(line);
        if (t_.Section(name) != nullptr) AddOnce(components_, name);
      }
    }
  }

  // The key rules of a section the engine reads; null for any other.
  const KeyRules* RulesOf(std::string_view section) const {
    if (const KeyRules* rules = EngineSectionKeys(section)) return rules;
    if (Has(lists_, section)) return &InstallTypeKeys();
    if (Has(components_, section)) return &ComponentKeys();
    return nullptr;
  }

  // The first key line of every name in the section.
  std::vector<const KeyLine*> KeysOf(const Section& s) const { return t_.Doc().FirstKeys(s); }

  // The first section of every name.
  std::vector<const Section*> Sections() const {
    std::vector<const Section*> sections;
    for (const std::string& name : t_.Doc().SectionNames()) sections.push_back(t_.Section(name));
    return sections;
  }

  // A key of the section that looks like a misspelling of `key`.
  const KeyLine* LookalikeOf(std::string_view section, std::string_view key) const {
    const Section* s = t_.Section(section);
    const KeyRules* rules = RulesOf(section);
    if (s == nullptr || rules == nullptr) return nullptr;
    for (const KeyLine* k : KeysOf(*s))
      if (EqualsNoCase(LookalikeKey(*rules, k->name), key)) return k;
    return nullptr;
  }

  void CheckGeneral() {
    const Section* general = t_.Section(kGeneral);
    if (general == nullptr) {
      for (const Section* s : Sections()) {
        if (LookalikeSection(s->name) == kGeneral && !Has(components_, s->name)) {
          claimedSections_.insert(Lower(s->name));
          t_.Error(t_.LineOf(*s), "the script has no [<General>] section: " + Bracketed(s->name) +
                                      " looks like a misspelling of it");
          return;
        }
      }
      t_.Error(1, "the script has no [<General>] section");
      return;
    }
    for (const char* key : {"ProductName", "ProjectName"}) {
      if (!Trim(t_.Value(kGeneral, key)).empty()) continue;
      if (const KeyLine* like = LookalikeOf(kGeneral, key);
          like != nullptr && !t_.Key(kGeneral, key)) {
        claimed_.insert(like);
        t_.Error(t_.LineOf(*like), std::string("[<General>] has no ") + key + ": " +
                                       Quoted(like->name) + " looks like a misspelling of it");
      } else {
        t_.Error(t_.LineNear(kGeneral, key), std::string("[<General>] has no ") + key);
      }
    }
    // Update tools and Add/Remove Programs tell releases apart by the entry's DisplayVersion.
    if (Trim(t_.Value(kGeneral, "ProductVersion")).empty())
      t_.Warning(t_.LineOf(*general),
                 "[<General>] has no ProductVersion: the uninstall entry will"
                 " carry no DisplayVersion, and update tools cannot tell this"
                 " release from another");
  }

  void CheckSectionNames() {
    for (const Section* s : Sections()) {
      if (RulesOf(s->name) != nullptr || claimedSections_.count(Lower(s->name))) continue;
      std::string like = LookalikeSection(s->name);
      if (like.empty()) continue;
      t_.Warning(
          t_.LineOf(*s),
          Bracketed(s->name) + " is no section the engine reads: did you mean [" + like + "]?");
    }
  }

  void CheckKeyNames() {
    for (const Section* s : Sections()) {
      const KeyRules* rules = RulesOf(s->name);
      if (rules == nullptr) continue;
      for (const KeyLine* k : KeysOf(*s)) {
        if (claimed_.count(k)) continue;
        std::string like = LookalikeKey(*rules, k->name);
        if (like.empty()) continue;
        t_.Warning(t_.LineOf(*k), Quoted(k->name) + " is no key the engine reads in [" +
                                      std::string(s->name) + "]: did you mean " + Quoted(like) +
                                      "?");
      }
    }
  }

  std::vector<ListSpec> Lists() const {
    std::vector<ListSpec> lists = {{kPreActions, "nItems", "", 0},
                                   {kCompletion, "nItems", "", 0},
                                   {kTemp, "nItems", "", 0},
                                   {kTypeList, "nItems", "", 0},
                                   {"InstalledComponents", "nItems", "", 0},
                                   {kDestinations, "nItems", "InstallPath", 1},
                                   {kVariables, "nItems", "Variable", 1},
                                   {kUninstall, "PrenItems", "Pre", 0},
                                   {kUninstall, "PostnItems", "Post", 0}};
    for (const std::string& list : lists_) lists.push_back({list, "nItems", "", 0});
    for (const std::string& c : components_) {
      if (Has(lists_, c)) continue;
      lists.push_back({c, "nItems", "", 0});
      lists.push_back({c, "nIcons", "Icon", 0});
    }
    return lists;
  }

  // A count that disagrees with the items present: items past it are never read, and
  // items missing below it read as empty lines.
  void CheckLists() {
    for (const ListSpec& list : Lists()) {
      const Section* s = t_.Section(list.section);
      if (s == nullptr) continue;
      auto items = PresentItems(s, list.prefix, list.first);
      const KeyLine* countLine = t_.Key(list.section, list.countKey);
      std::string where = Bracketed(list.section);
      if (countLine == nullptr) {
        if (items.empty() || LookalikeOf(list.section, list.countKey) != nullptr) continue;
        t_.Warning(t_.LineOf(*items.begin()->second),
                   where + " has no " + list.countKey + ": its items are never read");
        continue;
      }
      long long count = Count(list.section, list.countKey);
      long long end = list.first + count;
      if (!items.empty() && items.rbegin()->first >= end) {
        const KeyLine* past = items.lower_bound(int(std::min<long long>(end, 1LL << 30)))->second;
        t_.Warning(t_.LineOf(*countLine), where + " " + list.countKey + "=" +
                                              std::to_string(count) + " but " + Quoted(past->name) +
                                              " lies past it: items past the count are never read");
      }
      long long present = 0;
      long long firstMissing = -1;
      long long expect = list.first;
      for (auto [n, key] : items) {
        if (n >= end) break;
        if (firstMissing < 0 && n != expect) firstMissing = expect;
        expect = n + 1;
        ++present;
      }
      if (firstMissing < 0 && expect < end) firstMissing = expect;
      std::string missingKey = std::string(list.prefix) + std::to_string(firstMissing);
      // A misspelt item ("Icn0") is reported as such.
      if (present < count && LookalikeOf(list.section, missingKey) == nullptr) {
        long long others = count - present - 1;
        t_.Warning(t_.LineOf(*countLine),
                   where + " " + list.countKey + "=" + std::to_string(count) + " but " +
                       Quoted(missingKey) + " is missing" +
                       (others > 0 ? " (and " + std::to_string(others) + " more)" : "") +
                       ": a missing item reads as an empty line");
      }
    }
  }

  void CheckReferences() {
    for (const std::string& list : lists_) {
      if (t_.Section(list) == nullptr) continue;
      for (auto [n, key] : ReadItems({list, "nItems", "", 0})) {
        std::string line = ItemValue(key);
        std::string name = NextField(line);
        if (name.empty() || t_.Section(name) != nullptr) continue;
        t_.Error(t_.LineOf(*key), Bracketed(list) + " names the component " + Quoted(name) +
                                      ", but the script has no section [" + name + "]");
      }
    }
    for (auto [n, key] : ReadItems({kTypeList, "nItems", "", 0})) {
      std::string line = ItemValue(key);
      std::string name = NextField(line);
      if (name.empty() || t_.Section(name) != nullptr) continue;
      t_.Error(t_.LineOf(*key), "[<InstTypeListWnd>] names the install type " + Quoted(name) +
                                    ", but the script has no section [" + name + "]");
    }
    std::string installed = Trim(t_.Value(kSummary, "InstalledType"));
    if (!installed.empty() && t_.Section(installed) == nullptr && !Has(installTypes_, installed))
      t_.Error(t_.LineNear(kSummary, "InstalledType"),
               "InstalledType names [" + installed + "], which the script lacks");
  }

  void CheckDestinations() {
    int count = t_.Int(kDestinations, "nItems");
    if (count > kMaxDestinations)
      t_.Error(t_.LineNear(kDestinations, "nItems"),
               "[<Destinations>] nItems=" + std::to_string(count) +
                   ": the destination page takes at most 7 destinations");
  }

  void CheckActionList(const ListSpec& list, LineContext context) {
    for (auto [n, key] : ReadItems(list)) {
      std::string value = ItemValue(key);
      if (value.empty()) continue;
      if (IsActionLine(value)) {
        CheckActionLine(t_, t_.LineOf(*key), value, context);
      } else {
        t_.Warning(t_.LineOf(*key),
                   "not an action line (its first field is not \"?\"): "
                   "the engine skips it");
      }
    }
  }

  void CheckLines() {
    CheckActionList({kPreActions, "nItems", "", 0}, LineContext::Unexpanded);
    CheckActionList({kCompletion, "nItems", "", 0}, LineContext::Unexpanded);
    CheckActionList({kUninstall, "PrenItems", "Pre", 0}, LineContext::Expanded);
    CheckActionList({kUninstall, "PostnItems", "Post", 0}, LineContext::Expanded);
    for (auto [n, key] : ReadItems({kTemp, "nItems", "", 0})) {
      std::string line = ItemValue(key);
      if (!line.empty() && NextField(line).empty())
        t_.Error(t_.LineOf(*key), "the [{Temp}] line names no file");
    }
    for (const std::string& c : components_) {
      if (Has(lists_, c)) continue;
      for (auto [n, key] : ReadItems({c, "nItems", "", 0})) {
        std::string value = ItemValue(key);
        if (value.empty()) continue;
        if (IsActionLine(value))
          CheckActionLine(t_, t_.LineOf(*key), value, LineContext::Expanded);
        else
          CheckFileLine(t_, t_.LineOf(*key), value);
      }
      for (auto [n, key] : ReadItems({c, "nIcons", "Icon", 0})) {
        std::string value = ItemValue(key);
        if (!value.empty()) CheckShortcutLine(t_, t_.LineOf(*key), value);
      }
    }
  }

  // The names a macro may have besides the built-in ones.
  void CollectNames() {
    for (auto [n, key] : ReadItems({kVariables, "nItems", "Variable", 1}))
      AddOnce(variables_, std::string("{").append(ItemValue(key)).append("}"));
    for (const Section* s : Sections()) {
      if (RulesOf(s->name) == nullptr) continue;
      for (const KeyLine* k : KeysOf(*s)) {
        std::string name = AssignedName(ItemValue(k));
        if (!name.empty()) AddOnce(assigned_, name);
      }
    }
  }

  void CheckToken(int line, const std::string& token) {
    if (BuiltinMacroIndex(token) >= 0 || Has(variables_, token)) return;
    if (IsDestinationToken(token)) {
      if (t_.Key(kDestinations, Unbraced(token)) != nullptr || Has(assigned_, token)) return;
      t_.Warning(line, token + " names no destination: [<Destinations>] has no " + Unbraced(token));
      return;
    }
    t_.Warning(line, token + " names no built-in value, destination or variable");
  }

  void CheckMacros() {
    CollectNames();
    for (const Section* s : Sections()) {
      const KeyRules* rules = RulesOf(s->name);
      if (rules == nullptr) continue;
      bool variables = EqualsNoCase(s->name, kVariables);
      for (const KeyLine* k : KeysOf(*s)) {
        if (!IsKnownKey(*rules, k->name)) continue;
        // Variable names and their descriptions are no texts the engine expands.
        if (variables && (ListItemNumber(k->name, "Variable") >= 0 ||
                          ListItemNumber(k->name, "Description") >= 0))
          continue;
        // The target of a code 2 line is a name, not a macro to expand.
        std::string value = WithoutAssignedName(ItemValue(k));
        std::set<std::string> seen;
        for (const std::string& token : MacroTokens(value))
          if (seen.insert(token).second) CheckToken(t_.LineOf(*k), token);
      }
    }
  }

  // Variables are resolved before the wizard: a destination in a value is the script's
  // default, never the folder the user picks.
  void CheckVariables() {
    for (auto [n, key] : ReadItems({kVariables, "nItems", "Variable", 1})) {
      std::string valueKey = "Value" + std::to_string(n);
      for (const std::string& token : MacroTokens(t_.Value(kVariables, valueKey))) {
        if (!IsDestinationToken(token)) continue;
        t_.Warning(t_.LineNear(kVariables, valueKey),
                   "the value of {" + ItemValue(key) + "} uses " + token +
                       ", which is resolved before the wizard runs: the destination the user "
                       "picks never reaches it");
        break;
      }
    }
  }

  CheckText& t_;
  Names lists_;                       // component lists
  Names installTypes_;                // sections named by [<InstTypeListWnd>]
  Names components_;                  // component sections that exist
  Names variables_;                   // "{Name}" of each user variable
  Names assigned_;                    // targets of code 2 lines
  std::set<const KeyLine*> claimed_;  // misspelt keys already reported as errors
  std::set<std::string> claimedSections_;
};

}  // namespace

void CheckScript(const std::string& file, const std::string& text, Diagnostics& out) {
  CheckText script(file, text, out);
  ScriptChecker(script).Run();
}

}  // namespace vx::pack
