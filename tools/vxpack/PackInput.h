// Everything a distribution is made of, gathered and checked before anything is written:
// the script and its files found in the source tree, the engine files, the splash image,
// the bootstrap file and the sizes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/PackageWriter.h"
#include "tools/vxpack/Options.h"
#include "tools/vxpack/PackScript.h"
#include "tools/vxpack/Reporter.h"
#include "tools/vxpack/SizeKeys.h"

namespace vx::pack {

// A file both as the machine names it (for the platform and the package writer) and on
// the host.
struct Place {
  std::string win;
  std::string host;
};

struct PackInput {
  PackOptions options;
  std::string scriptName;  // file name of the source script, for messages
  std::string sourceText;  // the source script as read
  PackScript script;
  std::vector<ComponentSizes> sizes;  // one per script.components entry
  std::string sourceRoot;             // host folder of the source tree
  Place out;                          // output folder
  Place engine;                       // folder of Extract.exe, Install.exe, Karvo.dll, Halvik.exe
  Place splash;                       // empty when there is none
  std::string splashName;             // its file name, "" when none
  std::uint32_t created = 0;
  unsigned jobs = 1;
  std::string signStage;  // host folder of the signed copies (--sign), "" when none

  std::string InstallIni() const;
  std::string ShippedScriptName() const { return script.projectName + ".inf"; }
  // The package records in order: [{Temp}] first, then every component's files.
  std::vector<pkg::PackageItem> Items() const;
  // The script line of the record `index` of Items(), for messages.
  std::string DescribeItem(std::size_t index) const;
  std::string Describe(const ScriptPlace& place) const;
};

// Reads and checks everything, changing nothing; false after reporting the first problem
// (`usage` set when it lies with the command line or the environment rather than the
// product).
bool GatherInput(const PackOptions& options, Reporter& reporter, PackInput& input, bool& usage);
// Then makes the output folder and signs the shipped programs when asked; false after
// reporting why not.
bool PrepareOutput(PackInput& input, Reporter& reporter, bool& usage);

// The engine files every distribution carries, in payload order after the splash image.
inline constexpr const char* kEngineFiles[] = {"Install.exe", "Karvo.dll", "Halvik.exe"};

}  // namespace vx::pack
