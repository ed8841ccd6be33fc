// The command line of Install.exe: one text, split at "|" into the option field and an
// optional "-s" response-file field. Options take "-" or "/" and either case:
//   (none) install from a folder      -e PATH  from the self-extractor at PATH
//   -m SCRIPT  maintenance             -u SCRIPT  uninstall, after a confirmation
//   -f SCRIPT  uninstall, no question  -r SCRIPT  the uninstall run of the temp copy
//   -s FILE    response file (alone, or as the second field: "-e PATH | -s FILE")
#pragma once
#include <string>
#include <string_view>

namespace vx {

enum RunMode : int {
  kRunRejected = -1,
  kRunInstall = 0,
  kRunFromExtractor = 1,
  kRunMaintenance = 2,
  kRunUninstall = 3,
  kRunUninstallCopy = 4,
  kRunUninstallSilent = 5,
};

struct CommandLine {
  int runMode = kRunInstall;
  std::string argument;      // the extractor path (-e) or the script path (-m -u -r -f)
  std::string responseFile;  // "" when none was given
};

CommandLine ParseCommandLine(std::string_view text);

// The command line as Windows would hand it over: the arguments joined with single blanks.
std::string JoinArguments(int argc, const char* const* argv);

}  // namespace vx
