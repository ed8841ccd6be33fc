// The command line of vxpack.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx::pack {

enum class Layout { Sfx, Folder };

struct PackOptions {
  Layout layout = Layout::Sfx;
  std::string script;          // host path of the install script
  std::string outDir;          // default: the current directory
  std::string sourceDir;       // default: the script's folder
  std::string engineDir;       // default: the folder of vxpack itself
  std::string splash;          // host path of the splash image, "" for none
  std::uint64_t diskSize = 0;  // 0 = one disk
  bool raw = false;
  unsigned jobs = 0;          // 0 = one per processor
  bool checkOnly = false;     // --check: check the script, build nothing
  bool strict = false;        // warnings stop the build too
  std::string checkResponse;  // host path of a response file to check, "" for none
  std::string signCommand;    // --sign: a command holding {file}, "" for none
  std::string referenceFile;  // --reference: the script reference to write anew
};

inline constexpr char kSignFilePlaceholder[] = "{file}";

enum class ParseResult { Ok, Help, UsageError };

// Options may come before or after the script; values follow as the next argument or after
// "=" ("--out DIR", "--out=DIR").
ParseResult ParseOptions(const std::vector<std::string>& args, PackOptions& options,
                         std::string& error);

const char* UsageText();

}  // namespace vx::pack
