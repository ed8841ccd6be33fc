// Action lines: "? | If (condition) | code | description | arguments ...". The main runner
// dispatches codes 1 to 16; the uninstall runner only the undo actions of codes 3, 4 and 5.
#pragma once
#include <functional>
#include <string>

namespace vx {

// Shows the description of the action about to run (a status line, a progress heading).
using StatusDisplay = std::function<void(const std::string& description)>;

struct ParsedActionLine {
  std::string firstCondition;
  std::string secondCondition;
  std::string connective;
  bool twoConditions = false;  // the condition field has a last ")" behind its first one
  int code = 0;
  std::string description;
  std::string arguments;  // everything behind the description, handed whole to the action
};

// Splits a line into its parts; false when it is no action line or its condition field is
// malformed (no ")", a "(" behind the first ")", a last "(" behind the last ")").
bool ParseActionLine(std::string line, ParsedActionLine* parsed);

// The run decision of each runner for the two conditions' results.
bool MainRunnerDecides(const ParsedActionLine& line, bool first, bool second);
bool UninstallRunnerDecides(const ParsedActionLine& line, bool first, bool second);

// The operator a condition compares with: the first of == >> >= << <= != -> <- that occurs
// anywhere in the text, at its first occurrence (`at`); null when none does.
const char* FindConditionOperator(const std::string& text, std::size_t* at = nullptr);

// One condition: "", or "left OP right" with OP one of == >> >= << <= != -> <- (the first of
// that list found anywhere); both sides compared upper-cased, as texts.
bool EvaluateCondition(std::string text);

// Upper-cases the ASCII letters of a text.
std::string UpperCased(std::string text);

// A decimal integer as atoi reads it: blanks, a sign, the leading digits; 0 without any.
int LeadingInt(const std::string& text);

void RunActionLine(std::string line, const StatusDisplay& status = nullptr);
void RunUninstallActionLine(std::string line, const StatusDisplay& status = nullptr);

}  // namespace vx
