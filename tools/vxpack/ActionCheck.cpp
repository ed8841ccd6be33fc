#include "tools/vxpack/ActionCheck.h"

#include <algorithm>

#include "engine/actions/ActionLine.h"
#include "engine/actions/ActionTable.h"
#include "engine/base/NextField.h"

namespace vx::pack {

namespace {

constexpr int kAny = kAnyFieldCount;

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// What is wrong with the condition field as the runner reads it; "" when nothing is.
std::string ConditionFault(const std::string& field, const ParsedActionLine* parsed) {
  std::string doesNotParse = "the condition field " + Quoted(field) + " does not parse: ";
  if (field.find(')') == std::string::npos) return doesNotParse + "it has no \")\"";
  long open = std::count(field.begin(), field.end(), '(');
  long close = std::count(field.begin(), field.end(), ')');
  if (open != close) return doesNotParse + "its parentheses are unbalanced";
  if (parsed == nullptr) return doesNotParse + "a \"(\" stands behind a \")\"";
  if (open > 2) return doesNotParse + "it holds more than two conditions";
  if (parsed->twoConditions && parsed->connective != ".AND." && parsed->connective != ".OR.")
    return "the connective " + Quoted(parsed->connective) +
           " is neither .AND. nor .OR. (in capitals): only the first condition decides";
  for (const std::string* c : {&parsed->firstCondition, &parsed->secondCondition}) {
    if (!c->empty() && FindConditionOperator(*c) == nullptr)
      return "the condition " + Quoted(*c) +
             " has no operator (==, >>, >=, <<, <=, !=, ->, <-): it is always false";
  }
  return {};
}

// The first macro token of a text, "" when it has none.
std::string FirstMacro(const std::string& text) {
  std::size_t open = text.find('{');
  if (open == std::string::npos) return {};
  std::size_t close = text.find('}', open);
  return close == std::string::npos ? std::string() : text.substr(open, close - open + 1);
}

}  // namespace

int CountFields(std::string text) {
  int n = 0;
  while (!text.empty()) {
    NextField(text);
    ++n;
  }
  return n;
}

bool IsActionLine(const std::string& line) {
  std::string rest = line;
  return NextField(rest) == "?";
}

std::string AssignedName(const std::string& line) {
  ParsedActionLine parsed;
  if (!ParseActionLine(line, &parsed) || parsed.code != 2) return {};
  return NextField(parsed.arguments);
}

std::string WithoutAssignedName(const std::string& line) {
  ParsedActionLine parsed;
  if (!ParseActionLine(line, &parsed) || parsed.code != 2) return line;
  std::string value = parsed.arguments;
  NextField(value);
  return parsed.firstCondition + " " + parsed.secondCondition + " " + parsed.connective + " " +
         parsed.description + " " + value;
}

void CheckActionLine(CheckText& text, int line, const std::string& value, LineContext context) {
  std::string rest = value;
  NextField(rest);
  std::string condition = NextField(rest);
  ParsedActionLine parsed;
  bool parses = ParseActionLine(value, &parsed);
  std::string fault = ConditionFault(condition, parses ? &parsed : nullptr);
  if (!fault.empty()) {
    text.Error(line, fault);
    return;
  }
  std::string codeField = NextField(rest);
  const ActionRow* rule = ActionRowOf(parsed.code);
  if (rule == nullptr) {
    text.Error(line, "the action code " + Quoted(codeField) + " is not one of the catalogue's (" +
                         std::to_string(kFirstActionCode) + " to " +
                         std::to_string(kLastActionCode) + "): the line does nothing");
    return;
  }
  int fields = CountFields(parsed.arguments);
  if (fields < rule->minFields || fields > rule->maxFields) {
    const int min = rule->minFields, max = rule->maxFields;
    text.Warning(line, "action code " + std::to_string(parsed.code) + " takes " +
                           (min == max    ? std::to_string(min)
                            : max == kAny ? "at least " + std::to_string(min)
                                          : std::to_string(min) + " to " + std::to_string(max)) +
                           " argument fields (" + rule->fields + "), this line has " +
                           std::to_string(fields));
  }
  if (context != LineContext::Unexpanded) return;
  // An action that expands only its value, or nothing: in a line that is not expanded as a
  // whole, a macro in the other fields reaches the file, the registry or the screen as written.
  std::string args = parsed.arguments;
  std::string unexpanded;
  if (rule->expansion == ActionExpansion::ValueOnly) {
    // Every named field before the value, the last.
    for (int i = 1; i < CountFields(rule->fields); ++i) unexpanded += NextField(args) + "|";
  } else if (rule->expansion == ActionExpansion::Nothing) {
    unexpanded = args;
  }
  std::string macro = FirstMacro(unexpanded);
  if (!macro.empty()) {
    text.Warning(line,
                 macro + " stays as written: action code " + std::to_string(parsed.code) +
                     (rule->expansion == ActionExpansion::Nothing ? " expands nothing"
                                                                  : " expands only its value") +
                     ", and pre-action and completion lines are not expanded as a whole");
  }
}

void CheckFileLine(CheckText& text, int line, const std::string& value) {
  std::string rest = value;
  int fields = CountFields(rest);
  std::string name = NextField(rest);
  NextField(rest);  // destination folder
  NextField(rest);  // source folder
  std::string shared = NextField(rest);
  if (fields < 2 || name.empty()) {
    text.Error(line, "the file line " + Quoted(value) +
                         " has too few fields: it needs file name | destination folder"
                         " [| source folder | shared flag]");
    return;
  }
  if (!shared.empty() && shared != "0" && shared != "1")
    text.Warning(line, "the shared flag " + Quoted(shared) +
                           " is neither 0 nor 1: only \"1\" makes the file shared");
}

void CheckShortcutLine(CheckText& text, int line, const std::string& value) {
  if (CountFields(value) < 6)
    text.Error(line, "the shortcut line " + Quoted(value) +
                         " has too few fields: it needs name | target | arguments | icon |"
                         " working folder | shortcut folder");
}

}  // namespace vx::pack
