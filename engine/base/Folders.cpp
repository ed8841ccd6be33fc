#include "engine/base/Folders.h"

#include "engine/base/EngineRun.h"

#include "engine/base/RegistryHelpers.h"
#include "engine/base/PathOps.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace vx {

namespace {

// The folder values come from calls that fill a 260-byte buffer; like those calls, a path
// that does not fit (with its terminating zero) gives nothing rather than a cut path.
constexpr std::size_t kPathBuffer = 260;

std::string Fit(std::string path) {
  if (path.size() >= kPathBuffer) return {};
  return path;
}

int PlatformCodeOf(std::uint32_t platformId) {
  switch (platformId) {
    case kVerPlatformWin32s:
      return 2;
    case kVerPlatformWindows:
      return 4;
    case kVerPlatformNT:
      return 5;
    default:
      return 0;
  }
}

}  // namespace

FolderValues& Folders() { return CurrentRun().folders; }

void FillFolderValues() {
  FolderValues& f = Folders();
  f.windows = EnsureTrailingBackslash(Fit(GetWindowsDirectory()));
  f.system = EnsureTrailingBackslash(Fit(GetSystemDirectory()));
  f.temp = EnsureTrailingBackslash(Fit(GetTempPath()));
  std::string programFiles;
  ReadRegistryString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                     "ProgramFilesDir", programFiles);
  f.programFiles = Fit(programFiles);
  f.source = FolderOfPath(Fit(GetModuleFileName()));
  f.platformCode = PlatformCodeOf(GetVersionEx().platformId);
}

std::string ShellFolder(int csidl) { return Fit(GetSpecialFolder(csidl)); }

}  // namespace vx
