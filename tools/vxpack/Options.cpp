#include "tools/vxpack/Options.h"

#include <charconv>
#include <string>

#include "engine/files/PackageWriter.h"

namespace vx::pack {

const char* UsageText() {
  return "usage: vxpack [options] SCRIPT.inf\n"
         "       vxpack --check [--strict] [--check-response FILE] SCRIPT.inf\n"
         "\n"
         "Builds a distribution of the product that SCRIPT.inf installs. Every build checks\n"
         "the script first: errors stop it, warnings are printed.\n"
         "\n"
         "  --check            only check the script: one \"FILE:LINE: error|warning: text\"\n"
         "                     a line, then a summary\n"
         "  --strict           warnings count as errors\n"
         "  --check-response FILE  check a response file against the script too\n"
         "  --sfx              the self-extractor PROJECT.exe (the default); with --disk-size\n"
         "                     the package continues in PROJECT.1, PROJECT.2, ...\n"
         "  --folder           a folder installation: engine files, Install.ini, the script,\n"
         "                     $Temp\\, PROJECT.0 and every component file in its folder\n"
         "  --out DIR          where to write (default: the current directory)\n"
         "  --source DIR       the source tree (default: the script's folder)\n"
         "  --engine DIR       where Extract.exe, Install.exe, Karvo.dll and Halvik.exe are\n"
         "                     (default: the folder of vxpack)\n"
         "  --disk-size BYTES  largest size of each output file (8192 at least); spans the\n"
         "                     package\n"
         "  --raw              store the package without compression\n"
         "  --splash IMAGE     the splash image shown at start-up\n"
         "  --jobs N           compression threads (the output is the same for any N)\n"
         "  --sign \"COMMAND {file}\"  run the signing command on every program shipped\n"
         "                     (engine files, the product's .exe/.dll files) before packing\n"
         "                     and on the finished PROJECT.exe; {file} becomes the quoted\n"
         "                     path; a non-zero status stops the build\n"
         "  --reference FILE   write the generated tables of the script reference FILE\n"
         "                     (docs/script-reference.md) anew\n"
         "  -h, --help         this text\n"
         "\n"
         "SOURCE_DATE_EPOCH, when set, is the package's creation time.\n"
         "Exit status: 0 done, 1 the distribution could not be built (or the check found\n"
         "errors), 2 usage error.\n";
}

namespace {

bool ParseCount(const std::string& text, std::uint64_t& value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args, PackOptions& options,
                         std::string& error) {
  bool layoutGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") return ParseResult::Help;
    if (arg.size() < 2 || arg[0] != '-') {
      if (!options.script.empty()) {
        error = "more than one script given: " + options.script + " and " + arg;
        return ParseResult::UsageError;
      }
      options.script = arg;
      continue;
    }
    std::string value;
    bool inlineValue = false;
    if (std::size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      value = arg.substr(eq + 1);
      arg.erase(eq);
      inlineValue = true;
    }
    auto takeValue = [&]() -> bool {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto noValue = [&]() -> bool {
      if (!inlineValue) return true;
      error = "option " + arg + " takes no value";
      return false;
    };
    if (arg == "--sfx" || arg == "--folder") {
      if (!noValue()) return ParseResult::UsageError;
      Layout layout = arg == "--sfx" ? Layout::Sfx : Layout::Folder;
      if (layoutGiven && layout != options.layout) {
        error = "--sfx and --folder exclude each other";
        return ParseResult::UsageError;
      }
      options.layout = layout;
      layoutGiven = true;
    } else if (arg == "--raw") {
      if (!noValue()) return ParseResult::UsageError;
      options.raw = true;
    } else if (arg == "--check" || arg == "--strict") {
      if (!noValue()) return ParseResult::UsageError;
      (arg == "--check" ? options.checkOnly : options.strict) = true;
    } else if (arg == "--check-response") {
      if (!takeValue()) return ParseResult::UsageError;
      if (value.empty()) {
        error = "option " + arg + " needs a value";
        return ParseResult::UsageError;
      }
      options.checkResponse = value;
    } else if (arg == "--reference") {
      if (!takeValue()) return ParseResult::UsageError;
      options.referenceFile = value;
    } else if (arg == "--sign") {
      if (!takeValue()) return ParseResult::UsageError;
      if (value.find(kSignFilePlaceholder) == std::string::npos) {
        error = "--sign needs a command holding {file}, where the path of each program goes";
        return ParseResult::UsageError;
      }
      options.signCommand = value;
    } else if (arg == "--out" || arg == "--source" || arg == "--engine" || arg == "--splash") {
      if (!takeValue()) return ParseResult::UsageError;
      if (value.empty()) {
        error = "option " + arg + " needs a value";
        return ParseResult::UsageError;
      }
      std::string& target = arg == "--out"      ? options.outDir
                            : arg == "--source" ? options.sourceDir
                            : arg == "--engine" ? options.engineDir
                                                : options.splash;
      target = value;
    } else if (arg == "--disk-size") {
      if (!takeValue()) return ParseResult::UsageError;
      if (!ParseCount(value, options.diskSize) || options.diskSize < pkg::kMinDiskSize ||
          options.diskSize > 0xFFFFFFFFull) {
        error = "--disk-size needs a number of bytes from " + std::to_string(pkg::kMinDiskSize) +
                " to 4294967295, not \"" + value + "\"";
        return ParseResult::UsageError;
      }
    } else if (arg == "--jobs") {
      if (!takeValue()) return ParseResult::UsageError;
      std::uint64_t jobs = 0;
      if (!ParseCount(value, jobs) || jobs == 0 || jobs > 256) {
        error = "--jobs needs a number from 1 to 256, not \"" + value + "\"";
        return ParseResult::UsageError;
      }
      options.jobs = unsigned(jobs);
    } else {
      error = "unknown option " + arg;
      return ParseResult::UsageError;
    }
  }
  if (options.script.empty() && options.referenceFile.empty()) {
    error = "no install script given";
    return ParseResult::UsageError;
  }
  if (options.layout == Layout::Folder && options.diskSize != 0) {
    error = "--disk-size spans the package of a self-extractor; a folder installation has none";
    return ParseResult::UsageError;
  }
  return ParseResult::Ok;
}

}  // namespace vx::pack
