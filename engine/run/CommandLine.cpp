#include "engine/run/CommandLine.h"

#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"

namespace vx {

namespace {

bool IsOptionStart(char c) { return c == '-' || c == '/'; }

int ModeOfLetter(char letter) {
  switch (letter) {
    case 'e':
    case 'E':
      return kRunFromExtractor;
    case 'm':
    case 'M':
      return kRunMaintenance;
    case 'u':
    case 'U':
      return kRunUninstall;
    case 'r':
    case 'R':
      return kRunUninstallCopy;
    case 's':
    case 'S':
      return kRunInstall;
    case 'f':
    case 'F':
      return kRunUninstallSilent;
    default:
      return kRunRejected;
  }
}

// A path given in quotes (as the registered uninstall command gives it, because it may hold
// blanks) is the path without them.
std::string Unquoted(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = Trim(text.substr(1, text.size() - 2));
  return text;
}

CommandLine Rejected() {
  CommandLine c;
  c.runMode = kRunRejected;
  return c;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view text) {
  CommandLine result;
  std::string rest(text);
  std::string first = NextField(rest);
  // Everything behind the first "|" is the second field, trimmed by NextField.
  const std::string& second = rest;
  if (first.empty() && second.empty()) return result;

  if (!second.empty()) {
    if (second.size() < 3 || !IsOptionStart(second[0]) || (second[1] != 's' && second[1] != 'S'))
      return Rejected();
    result.responseFile = Unquoted(Trim(std::string_view(second).substr(2)));
  }

  if (first.size() < 3 || !IsOptionStart(first[0])) return Rejected();
  int mode = ModeOfLetter(first[1]);
  if (mode == kRunRejected) return Rejected();
  std::string argument = Unquoted(Trim(std::string_view(first).substr(2)));
  result.runMode = mode;
  if (first[1] == 's' || first[1] == 'S') {
    // "-s FILE" alone; a second "-s" field, given later on the line, takes precedence.
    if (result.responseFile.empty()) result.responseFile = argument;
  } else {
    result.argument = argument;
  }
  return result;
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace vx
