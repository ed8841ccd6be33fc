// The commands of vxmachine. Each takes the words after its name and returns the exit status.
#pragma once
#include <string>
#include <vector>

namespace vx::tool {

using Args = std::vector<std::string>;

enum Exit : int {
  kExitOk = 0,
  kExitMissing = 1,  // a key, value or path that does not exist
  kExitUsage = 2,
  kExitFailed = 3,    // the machine could not be opened or changed
  kExitRunAlive = 4,  // boot refused: a run of the Installer is alive
};

// Opens the machine that main chose ($VX_MACHINE, which --machine sets), creating it when
// new, and makes it current; prints why and returns false when it cannot.
bool UseMachine();

// Prints "vxmachine: <text>" on standard error and returns kExitUsage.
int UsageError(const std::string& text);

int InitCommand(const Args& args);
int InfoCommand(const Args& args);
int PathCommand(const Args& args);
int RegCommand(const Args& args);  // "query" and "export"
int PendingCommand(const Args& args);
int BootCommand(const Args& args);

}  // namespace vx::tool
