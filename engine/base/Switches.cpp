#include "engine/base/Switches.h"

namespace vx {

namespace {

enum class Kind { Flag, Value };

struct SwitchRule {
  const char* name;
  Kind kind;
};

// Longer names first where one begins another ("S" is also the start of "SAVEINF").
constexpr SwitchRule kRules[] = {
    {"SUPPRESSMSGBOXES", Kind::Flag},
    {"SAVEINF", Kind::Value},
    {"NORESTART", Kind::Flag},
    {"MSICODES", Kind::Flag},
    {"COMPONENTS", Kind::Value},
    {"TYPE", Kind::Value},
    {"DIR", Kind::Value},
    {"LOG", Kind::Value},
    {"?", Kind::Flag},
    {"S", Kind::Flag},
};

// Exit statuses and the Windows Installer codes they become.
constexpr int kMsiSuccess = 0;
constexpr int kMsiFailed = 1603;
constexpr int kMsiCancelled = 1602;
constexpr int kMsiRestartNeeded = 3010;
constexpr int kMsiAnotherRun = 1618;

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
bool Blank(char c) { return c == ' ' || c == '\t'; }

// Kept free of the engine's other helpers: the self-extractor reads the switches too.
std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

// The rule of a switch token starting at `at` (on "/" or "-"), with the length of its name;
// null when none. A flag must end at a blank, "|" or the end; a value switch needs "=".
const SwitchRule* RuleAt(std::string_view text, std::size_t at, std::size_t& nameLength) {
  if (at >= text.size() || (text[at] != '/' && text[at] != '-')) return nullptr;
  for (const SwitchRule& r : kRules) {
    std::string_view name = r.name;
    std::size_t end = at + 1 + name.size();
    if (end > text.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size(); ++i) same = same && Upper(text[at + 1 + i]) == name[i];
    if (!same) continue;
    if (r.kind == Kind::Value) {
      if (end < text.size() && text[end] == '=') {
        nameLength = name.size();
        return &r;
      }
      continue;
    }
    if (end == text.size() || Blank(text[end]) || text[end] == '|') {
      nameLength = name.size();
      return &r;
    }
  }
  return nullptr;
}

bool TokenStart(std::string_view text, std::size_t at) {
  return at == 0 || Blank(text[at - 1]) || text[at - 1] == '|';
}

std::string Unquoted(std::string value) {
  value = Trim(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = Trim(std::string_view(value).substr(1, value.size() - 2));
  return value;
}

// "/S" is the silent switch when nothing but another switch, an option or "|" follows it;
// "/S FILE" stays the response-file option.
bool SilentAt(std::string_view text, std::size_t end) {
  std::size_t next = end;
  while (next < text.size() && Blank(text[next])) ++next;
  if (next == text.size() || text[next] == '|' || text[next] == '-') return true;
  std::size_t n;
  return RuleAt(text, next, n) != nullptr;
}

// The switch that starts at `at`, or null: "/S" counts only where it is the silent switch.
const SwitchRule* SwitchAt(std::string_view text, std::size_t at, std::size_t& nameLength) {
  if (!TokenStart(text, at)) return nullptr;
  const SwitchRule* rule = RuleAt(text, at, nameLength);
  if (rule != nullptr && std::string_view(rule->name) == "S" && !SilentAt(text, at + 2))
    return nullptr;
  return rule;
}

// Where the next switch or "|" begins at or after `from` (text.size() when none).
std::size_t NextStop(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    std::size_t n;
    if (text[i] == '|' || SwitchAt(text, i, n)) return i;
  }
  return text.size();
}

void Set(Switches& out, std::string_view name, std::string value) {
  if (name == "S")
    out.silent = true;
  else if (name == "NORESTART")
    out.noRestart = true;
  else if (name == "SUPPRESSMSGBOXES")
    out.suppressMsgBoxes = true;
  else if (name == "MSICODES")
    out.msiCodes = true;
  else if (name == "?")
    out.help = true;
  else if (name == "DIR")
    out.dir = std::move(value);
  else if (name == "COMPONENTS")
    out.components = std::move(value);
  else if (name == "TYPE")
    out.type = std::move(value);
  else if (name == "LOG")
    out.log = std::move(value);
  else if (name == "SAVEINF")
    out.saveInf = std::move(value);
}

}  // namespace

bool Switches::Any() const {
  return silent || noRestart || suppressMsgBoxes || msiCodes || help || !dir.empty() ||
         !components.empty() || !type.empty() || !log.empty() || !saveInf.empty();
}

std::string Switches::Text() const {
  std::string t;
  auto add = [&t](const std::string& s) { t += (t.empty() ? "" : " ") + s; };
  if (silent) add("/S");
  if (!dir.empty()) add("/DIR=" + dir);
  if (!components.empty()) add("/COMPONENTS=" + components);
  if (!type.empty()) add("/TYPE=" + type);
  if (!log.empty()) add("/LOG=" + log);
  if (noRestart) add("/NORESTART");
  if (suppressMsgBoxes) add("/SUPPRESSMSGBOXES");
  if (!saveInf.empty()) add("/SAVEINF=" + saveInf);
  if (msiCodes) add("/MSICODES");
  if (help) add("/?");
  return t;
}

std::string TakeSwitches(std::string_view text, Switches& out) {
  std::size_t bar = text.find('|');
  std::size_t from = bar == std::string_view::npos ? 0 : bar + 1;
  std::string rest(text.substr(0, from));
  std::size_t i = from;
  while (i < text.size()) {
    std::size_t n = 0;
    const SwitchRule* rule = SwitchAt(text, i, n);
    if (rule == nullptr) {
      rest += text[i++];
      continue;
    }
    std::size_t end = i + 1 + n;
    std::string value;
    if (rule->kind == Kind::Value) {
      std::size_t stop = NextStop(text, end + 1);
      value = Unquoted(std::string(text.substr(end + 1, stop - end - 1)));
      end = stop;
    }
    Set(out, rule->name, std::move(value));
    i = end;
  }
  return Trim(rest);
}

std::vector<std::string> SwitchComponentNames(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string name = Trim(std::string_view(list).substr(start, end - start));
    if (!name.empty()) names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

const char* SwitchHelpText() {
  return "Switches (any case, \"/\" or \"-\"):\n"
         "  /S                  silent: no window; the script's defaults plus the switches given\n"
         "  /DIR=PATH           the first destination folder\n"
         "  /COMPONENTS=A,B     the components to install, by their names in the component list\n"
         "  /TYPE=NAME          the install type\n"
         "  /LOG=FILE           append the run's log to FILE\n"
         "  /NORESTART          never restart; status 4 says a restart is needed\n"
         "  /SUPPRESSMSGBOXES   every question takes its default answer\n"
         "  /SAVEINF=FILE       write the answers given as a response file (for -s FILE)\n"
         "  /MSICODES           exit with 0, 1603 failed, 1602 cancelled, 3010 restart needed,\n"
         "                      1618 another run alive\n"
         "  /?                  this list\n"
         "  -s FILE             answers from a response file\n";
}

int MsiCodeOf(int status) {
  switch (status) {
    case 0:
      return kMsiSuccess;
    case 2:   // cancelled by the user
    case 11:  // extraction cancelled
      return kMsiCancelled;
    case 4:
      return kMsiRestartNeeded;
    case 5:   // another run of the product
    case 14:  // another extraction of the product
      return kMsiAnotherRun;
    default:
      return kMsiFailed;
  }
}

}  // namespace vx
