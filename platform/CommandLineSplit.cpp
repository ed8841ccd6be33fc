// Taking a Windows command line apart, as the C runtime and the shell do. OS-free.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Process.h"
#include "platform/Trim.h"

namespace vx {

void SplitProgram(std::string_view commandLine, std::string* program, std::string* arguments) {
  std::string_view s = TrimLeadingSpacesAndTabs(commandLine);
  std::string prog, rest;
  if (!s.empty() && s.front() == '"') {
    std::size_t close = s.find('"', 1);
    if (close == std::string_view::npos) {
      prog = std::string(s.substr(1));
    } else {
      prog = std::string(s.substr(1, close - 1));
      rest = std::string(TrimLeadingSpacesAndTabs(s.substr(close + 1)));
    }
  } else {
    std::size_t i = 0;
    while (i < s.size() && !IsSpaceOrTab(s[i])) ++i;
    prog = std::string(s.substr(0, i));
    rest = std::string(TrimLeadingSpacesAndTabs(s.substr(i)));
  }
  if (program) *program = std::move(prog);
  if (arguments) *arguments = std::move(rest);
}

std::vector<std::string> CommandLineToArgv(std::string_view s) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (true) {
    while (i < s.size() && IsSpaceOrTab(s[i])) ++i;
    if (i >= s.size()) break;
    std::string arg;
    bool inQuotes = false;
    while (i < s.size() && (inQuotes || !IsSpaceOrTab(s[i]))) {
      if (s[i] == '\\') {
        std::size_t n = 0;
        while (i < s.size() && s[i] == '\\') {
          ++n;
          ++i;
        }
        if (i < s.size() && s[i] == '"') {
          arg.append(n / 2, '\\');
          if (n % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(n, '\\');
        }
      } else if (s[i] == '"') {
        if (inQuotes && i + 1 < s.size() && s[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
        } else {
          inQuotes = !inQuotes;
          ++i;
        }
      } else {
        arg.push_back(s[i++]);
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

}  // namespace vx
