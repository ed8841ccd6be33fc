#include "tools/vxpack/Reference.h"

#include <functional>

#include "engine/base/Texts.h"
#include "engine/actions/ActionTable.h"
#include "tools/vxpack/EngineKeys.h"
#include "tools/vxpack/ReferenceData.h"

namespace vx::pack {

namespace {

// A table cell: "|" and line breaks would end the cell or the row.
std::string Cell(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += "\\|";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

std::string Code(std::string_view text) { return "`" + Cell(text) + "`"; }

bool Actions(std::string& out, std::string& error) {
  out += "| Code | Action | Argument fields | Example | Undo |\n|---|---|---|---|---|\n";
  for (const ActionRow& row : ActionTable()) {
    const ActionDoc* doc = FindActionDoc(row.code);
    if (doc == nullptr) {
      error = "action code " + std::to_string(row.code) + " has no example in the reference";
      return false;
    }
    const std::string fields = row.fields;
    const int min = row.minFields, max = row.maxFields;
    std::string count = min == max ? std::to_string(min)
                        : max == kAnyFieldCount
                            ? std::to_string(min) + " or more"
                            : std::to_string(min) + " to " + std::to_string(max);
    // "none": a text there (a description, say) is taken and ignored.
    std::string shown = fields == "none" ? fields : Cell(fields) + " (" + count + ")";
    std::string undo = *row.undoName ? row.undoName : "none";
    out += "| " + std::to_string(row.code) + " | " + row.name + " | " + shown + " | " +
           Code(doc->example) + " | " + Cell(undo) + " |\n";
  }
  return true;
}

bool KeyRows(std::string_view section, const KeyRules& rules, std::string& out,
             std::string& error) {
  out += "| Key | Type | Default | Meaning |\n|---|---|---|---|\n";
  auto row = [&](std::string_view key) {
    const KeyDoc* doc = FindKeyDoc(section, key);
    if (doc == nullptr) {
      error = "the key \"" + std::string(key) + "\" of " + std::string(section) +
              " has no entry in the reference";
      return false;
    }
    std::string shown = doc->shown.empty() ? Code(doc->key) : std::string(doc->shown);
    std::string def = doc->defaultValue.empty() ? "\"\"" : std::string(doc->defaultValue);
    out += "| " + shown + " | " + std::string(doc->type) + " | " + def + " | " +
           std::string(doc->meaning) + " |\n";
    return true;
  };
  for (std::string_view key : rules.names)
    if (!row(key)) return false;
  for (std::string_view prefix : rules.numbered)
    if (!row(prefix)) return false;
  return !rules.braceKeys || row("{}");
}

bool Keys(std::string& out, std::string& error) {
  for (std::string_view section : EngineSections()) {
    out += "### `[" + std::string(section) + "]`\n\n";
    if (!KeyRows(section, *EngineSectionKeys(section), out, error)) return false;
    out += "\n";
  }
  out += "### A component section (`[Core]`, named by the component list)\n\n";
  if (!KeyRows("component", ComponentKeys(), out, error)) return false;
  out += "\n### An install type's section (named by `[<InstTypeListWnd>]`)\n\n";
  return KeyRows("install type", InstallTypeKeys(), out, error);
}

bool Texts(std::string& out, std::string&) {
  out += "| Id | Name | Key in `TEXT` | Built-in text |\n|---|---|---|---|\n";
  for (const TextRow& row : TextTable()) {
    const std::string id = std::to_string(static_cast<int>(row.id));
    out += "| " + id + " | `" + row.name + "` | `Res" + id + "` | " + Code(row.text) + " |\n";
  }
  return true;
}

struct Part {
  const char* name;
  std::function<bool(std::string&, std::string&)> make;
};

const Part kParts[] = {{"actions", Actions}, {"keys", Keys}, {"texts", Texts}};

}  // namespace

bool FillReference(const std::string& document, std::string& out, std::string& error) {
  out = document;
  for (const Part& part : kParts) {
    const std::string begin = std::string("<!-- BEGIN GENERATED: ") + part.name + " -->\n";
    const std::string end = std::string("<!-- END GENERATED: ") + part.name + " -->";
    std::size_t from = out.find(begin);
    std::size_t to = from == std::string::npos ? from : out.find(end, from);
    if (to == std::string::npos) {
      error = std::string("the reference has no generated part \"") + part.name + "\"";
      return false;
    }
    std::string made;
    if (!part.make(made, error)) return false;
    from += begin.size();
    out.replace(from, to - from, made);
  }
  return true;
}

std::vector<std::string> ReferenceActionExamples() {
  std::vector<std::string> lines;
  for (const ActionRow& row : ActionTable())
    if (const ActionDoc* doc = FindActionDoc(row.code)) lines.emplace_back(doc->example);
  return lines;
}

}  // namespace vx::pack
