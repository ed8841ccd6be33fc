#include "engine/ui/InterfaceWait.h"
#include "engine/actions/ActionLine.h"

#include <climits>
#include <cstring>

#include "engine/actions/Catalogue.h"
#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/RunReport.h"
#include "platform/System.h"
#include "platform/Trim.h"

namespace vx {

namespace {

constexpr int kStatusPauseMs = 1000;

// The text strictly between two positions; a position of -1 stands before the text.
std::string Between(const std::string& s, long from, long to) {
  long start = from + 1;
  if (start < 0) start = 0;
  if (to <= start) return {};
  return s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(to - start));
}

long Pos(std::size_t p) { return p == std::string::npos ? -1 : static_cast<long>(p); }

template <class Decide>
void Run(std::string line, const StatusDisplay& status, Decide decide, bool uninstall) {
  ParsedActionLine parsed;
  if (!ParseActionLine(std::move(line), &parsed)) return;
  bool first = EvaluateCondition(parsed.firstCondition);
  bool second = EvaluateCondition(parsed.secondCondition);
  if (!decide(parsed, first, second)) return;
  if (status) {
    status(parsed.description);
    PacedPause(kStatusPauseMs);
  }
  if (uninstall) {
    DispatchUndoAction(parsed.code, std::move(parsed.arguments));
  } else {
    DispatchAction(parsed.code, std::move(parsed.arguments));
  }
}

}  // namespace

std::string UpperCased(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

int LeadingInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    ++i;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

bool ParseActionLine(std::string line, ParsedActionLine* parsed) {
  std::string rest = std::move(line);
  if (NextField(rest) != "?") return false;
  std::string field = NextField(rest);

  long i1 = Pos(field.find(')'));
  if (i1 < 0) return false;
  long i2 = Pos(field.rfind(')'));
  ParsedActionLine p;
  if (i2 > i1) {
    long j1 = Pos(field.find('('));
    if (j1 > i1) return false;
    p.firstCondition = Between(field, j1, i1);
    long j2 = Pos(field.rfind('('));
    if (j2 > i2) return false;
    p.secondCondition = Between(field, j2, i2);
    p.connective = j2 < i1 ? std::string() : Between(field, i1, j2);
    p.twoConditions = true;
  } else {
    long j1 = Pos(field.find('('));
    if (j1 > i1) return false;
    p.firstCondition = Between(field, j1, i1);
  }
  p.firstCondition = Trim(p.firstCondition);
  p.secondCondition = Trim(p.secondCondition);
  p.connective = Trim(p.connective);

  p.code = LeadingInt(NextField(rest));
  p.description = NextField(rest);
  p.arguments = std::move(rest);
  *parsed = std::move(p);
  return true;
}

bool MainRunnerDecides(const ParsedActionLine& line, bool first, bool second) {
  if (line.connective == ".AND.") return first && second;
  if (line.connective == ".OR.") return first || second;
  return first;
}

bool UninstallRunnerDecides(const ParsedActionLine& line, bool first, bool second) {
  if (!line.twoConditions) return first;
  if (line.connective == ".AND.") return first && second;
  return first || second;
}

const char* FindConditionOperator(const std::string& text, std::size_t* at) {
  static const char* const kOperators[] = {"==", ">>", ">=", "<<", "<=", "!=", "->", "<-"};
  for (const char* op : kOperators) {
    std::size_t found = text.find(op);
    if (found == std::string::npos) continue;
    if (at != nullptr) *at = found;
    return op;
  }
  return nullptr;
}

bool EvaluateCondition(std::string text) {
  if (text.empty()) return true;
  ExpandFully(text);
  std::size_t at = 0;
  if (const char* op = FindConditionOperator(text, &at)) {
    std::string left = UpperCased(std::string(TrimTrailingWhiteSpace(text.substr(0, at))));
    std::string right = UpperCased(std::string(TrimLeadingWhiteSpace(text.substr(at + 2))));
    int cmp = std::strcmp(left.c_str(), right.c_str());
    std::string_view o(op);
    if (o == "==") return cmp == 0;
    if (o == ">>") return cmp > 0;
    if (o == ">=") return cmp >= 0;
    if (o == "<<") return cmp < 0;
    if (o == "<=") return cmp <= 0;
    if (o == "!=") return cmp != 0;
    if (o == "->") return std::strstr(right.c_str(), left.c_str()) != nullptr;
    return std::strstr(left.c_str(), right.c_str()) != nullptr;  // "<-"
  }
  return false;
}

void RunActionLine(std::string line, const StatusDisplay& status) {
  LogStep("action", line);
  Run(std::move(line), status, MainRunnerDecides, false);
}

void RunUninstallActionLine(std::string line, const StatusDisplay& status) {
  LogStep("action", line);
  Run(std::move(line), status, UninstallRunnerDecides, true);
}

}  // namespace vx
