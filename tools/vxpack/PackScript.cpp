#include "tools/vxpack/PackScript.h"

#include <algorithm>
#include <set>

#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/files/PackageFormat.h"
#include "platform/WinPath.h"

namespace vx::pack {

namespace {
// The engine reads every value through a buffer of this size.
constexpr std::size_t kValueBuffer = 1024;
}  // namespace

ScriptText::ScriptText(std::string text)
    : doc_(std::make_unique<profile::Document>(text.data(), text.size())) {}

const profile::Document& ScriptText::Doc() const {
  if (!pending_.empty()) {
    std::vector<profile::Assignment> changes;
    changes.reserve(pending_.size());
    for (const Change& c : pending_) changes.push_back({c.section, c.key, c.value});
    std::string text = profile::SetValues(*doc_, changes);
    doc_ = std::make_unique<profile::Document>(text.data(), text.size());
    pending_.clear();
  }
  return *doc_;
}

std::string ScriptText::String(std::string_view section, std::string_view key) const {
  const profile::KeyLine* line = Doc().FindKey(section, key);
  if (line == nullptr) return {};
  return std::string(line->value.substr(0, kValueBuffer - 1));
}

int ScriptText::Int(std::string_view section, std::string_view key) const {
  const profile::KeyLine* line = Doc().FindKey(section, key);
  return line == nullptr ? 0 : profile::ParseInt(line->value);
}

bool ScriptText::Has(std::string_view section, std::string_view key) const {
  return Doc().FindKey(section, key) != nullptr;
}

std::size_t ScriptText::KeyCount(std::string_view section) const {
  const profile::Section* s = Doc().FindSection(section);
  return s == nullptr ? 0 : s->keys.size();
}

void ScriptText::Set(std::string_view section, std::string_view key, std::string_view value) {
  pending_.push_back({std::string(section), std::string(key), std::string(value)});
}

namespace {

// The count of a list, bounded by the keys its section holds: a hostile count must not
// make the tool loop for ages over items that cannot be there.
int ListCount(const ScriptText& script, std::string_view section) {
  int count = script.Int(section, "nItems");
  return int(std::min<std::size_t>(std::size_t(std::max(count, 0)), script.KeyCount(section)));
}

// Splits a file line into its first four fields.
PackFile FileFromLine(std::string line) {
  PackFile f;
  f.name = NextField(line);
  f.destination = NextField(line);
  f.sourceFolder = NextField(line);
  f.shared = NextField(line) == "1";
  return f;
}

}  // namespace

bool ReadPackScript(const ScriptText& script, const std::string& fallbackProject, PackScript& out,
                    std::string& error) {
  out = PackScript{};
  out.projectName = Trim(script.String("<General>", "ProjectName"));
  if (out.projectName.empty()) out.projectName = fallbackProject;
  out.defLocale = Trim(script.String("<PreActions>", "DefLocale"));
  out.destinations = std::clamp(script.Int("<Destinations>", "nItems"), 0, 64);

  int variables = ListCount(script, "<VariableList>");
  for (int n = 1; n <= variables; ++n) {
    out.variables.emplace_back(
        Trim(script.String("<VariableList>", "Variable" + std::to_string(n))),
        script.String("<VariableList>", "Value" + std::to_string(n)));
  }

  // [{Temp}]: the first records of the package, in key order.
  int temps = script.Int("{Temp}", "nItems");
  for (int i = 0; i < temps; ++i) {
    ScriptPlace place{"{Temp}", std::to_string(i)};
    std::string line = script.String(place.section, place.key);
    // A line that gives no folders ("Setup.bmp", or "Setup.bmp | |") names only a file,
    // which lies in the tree's $Temp folder.
    PackFile f = FileFromLine(line);
    if (f.destination.empty() && f.sourceFolder.empty()) {
      f.component = pkg::kTempNameOnly;
      f.sourceFolder = kTempSourceFolder;
    } else {
      f.component = pkg::kTempFileLine;
    }
    if (f.name.empty()) {
      error = place.Describe() + ": the line names no file";
      return false;
    }
    f.item = i;
    f.place = place;
    out.tempFiles.push_back(std::move(f));
  }

  out.listSection = Trim(script.String("<InstSummaryWnd>", "InstalledType"));
  if (out.listSection.empty()) out.listSection = "<CompListWnd>";
  int components = ListCount(script, out.listSection);
  std::set<std::string> seen;
  for (int c = 0; c < components; ++c) {
    std::string line = script.String(out.listSection, std::to_string(c));
    PackComponent component;
    component.index = c;
    component.section = NextField(line);
    if (component.section.empty()) continue;  // no section: the engine finds no items either
    if (!seen.insert(winpath::ToLower(component.section)).second) {
      error = ScriptPlace{out.listSection, std::to_string(c)}.Describe() + ": component \"" +
              component.section + "\" is listed twice";
      return false;
    }
    int items = script.Int(component.section, "nItems");
    for (int i = 0; i < items; ++i) {
      ScriptPlace place{component.section, std::to_string(i)};
      std::string itemLine = script.String(place.section, place.key);
      std::string probe = itemLine;
      if (NextField(probe) == "?") continue;  // an action line: no record
      PackFile f = FileFromLine(itemLine);
      if (f.name.empty()) {
        error = place.Describe() + ": the file line names no file";
        return false;
      }
      f.component = c;
      f.item = i;
      f.place = place;
      component.files.push_back(std::move(f));
    }
    out.components.push_back(std::move(component));
  }
  return true;
}

}  // namespace vx::pack
