// vxmachine: looks after the emulated Windows machine (settings, folders, drives, registry).
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/Machine.h"
#include "tools/vxmachine/Commands.h"

namespace vx::tool {

namespace {

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(const Args&);
};

// New commands go here; their code lives in a file of its own.
const Command kCommands[] = {
    {"init", "init", "create the machine with its defaults (nothing changes when it exists)",
     InitCommand},
    {"info", "info", "folder values, shell folders, drives, platform, user and admin flag",
     InfoCommand},
    {"path", "path WINPATH", "the host path that a Windows path maps to", PathCommand},
    {"reg", "reg query KEY [VALUE] | reg export [KEY]",
     "show a key's values, one value's data, or a whole subtree", RegCommand},
    {"pending", "pending", "the file operations queued for the next restart, in order",
     PendingCommand},
    {"boot", "boot", "restart the machine: apply the queued operations and clear the queue",
     BootCommand},
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: vxmachine [--machine DIR] COMMAND [ARGS]\n\n"
               "The machine is DIR, else $VX_MACHINE, else %s.\n\nCommands:\n",
               Machine::DefaultDir().c_str());
  for (const Command& c : kCommands) std::fprintf(out, "  %-40s %s\n", c.usage, c.summary);
  std::fprintf(out,
               "\nreg query KEY prints NAME|TYPE|DATA for each value of KEY; with VALUE it\n"
               "prints only the data (text as stored, REG_DWORD in decimal, REG_MULTI_SZ one\n"
               "string a line, other types as hex bytes). reg export prints KEY|NAME|TYPE|DATA\n"
               "for every value below KEY (every root without KEY); a key without values is\n"
               "listed alone. In these lines '%%', '|' and control characters of a key, name or\n"
               "text are written as %%XX; the default value has an empty NAME. KEY is a root\n"
               "name (HKEY_LOCAL_MACHINE or HKLM, ...) and a path: HKLM\\Software\\Vendor.\n\n"
               "Exit status: 0 done, 1 no such key, value or path, 2 usage error, 3 the\n"
               "machine could not be opened, 4 boot refused while a run is alive.\n");
}

}  // namespace

bool UseMachine() {
  const char* dir = ::getenv("VX_MACHINE");
  if (!dir || !*dir || !Machine::Open(dir)) {
    std::fprintf(stderr, "vxmachine: cannot open or create the machine in %s\n", dir ? dir : "");
    return false;
  }
  Machine::SetCurrent(dir);
  return true;
}

int UsageError(const std::string& text) {
  std::fprintf(stderr, "vxmachine: %s\n(vxmachine --help lists the commands)\n", text.c_str());
  return kExitUsage;
}

int Main(int argc, char** argv) {
  Args words(argv + 1, argv + argc);
  std::size_t i = 0;
  std::string machineDir;
  while (i < words.size() && words[i].rfind("-", 0) == 0) {
    const std::string& w = words[i];
    if (w == "--help" || w == "-h") {
      PrintHelp(stdout);
      return kExitOk;
    }
    if (w == "--machine") {
      if (i + 1 >= words.size()) return UsageError("--machine needs a directory");
      machineDir = words[i + 1];
      i += 2;
    } else if (w.rfind("--machine=", 0) == 0) {
      machineDir = w.substr(std::strlen("--machine="));
      ++i;
    } else {
      return UsageError("unknown option " + w);
    }
  }
  if (i >= words.size()) return UsageError("no command given");
  if (machineDir.empty()) {
    const char* env = ::getenv("VX_MACHINE");
    machineDir = (env && *env) ? std::string(env) : Machine::DefaultDir();
  }
  // UseMachine reads it from there, as would any program this tool starts.
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(machineDir, ec).string();
  ::setenv("VX_MACHINE", ec ? machineDir.c_str() : absolute.c_str(), 1);
  for (const Command& c : kCommands) {
    if (words[i] != c.name) continue;
    return c.run(Args(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end()));
  }
  return UsageError("unknown command " + words[i]);
}

}  // namespace vx::tool

int main(int argc, char** argv) { return vx::tool::Main(argc, argv); }
