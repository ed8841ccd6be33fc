// init, info and path: the machine's settings and how Windows paths land on the host.
#include <cstdio>
#include <string>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "tools/vxmachine/Commands.h"

namespace vx::tool {

namespace {

const char* DriveTypeName(DriveType t) {
  switch (t) {
    case DriveType::Fixed:
      return "fixed";
    case DriveType::Remote:
      return "network";
    case DriveType::CdRom:
      return "cdrom";
    case DriveType::Removable:
      return "removable";
    case DriveType::RamDisk:
      return "ramdisk";
    case DriveType::NoRootDir:
      return "none";
    case DriveType::Unknown:
      break;
  }
  return "unknown";
}

// The program-files value as the engine reads it: from the registry, as stored.
std::string ProgramFilesValue() {
  HKEY key = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", kKeyRead,
                   &key) != static_cast<std::int32_t>(kErrorSuccess)) {
    return "(not set)";
  }
  char data[1024] = {};
  std::uint32_t size = sizeof data - 1, type = 0;
  std::int32_t rc = RegQueryValueEx(key, "ProgramFilesDir", &type, data, &size);
  RegCloseKey(key);
  if (rc != static_cast<std::int32_t>(kErrorSuccess)) return "(not set)";
  return std::string(data, size).c_str();  // up to the terminating zero
}

std::string WithBackslash(std::string s) {
  if (!s.empty() && s.back() != '\\') s.push_back('\\');
  return s;
}

}  // namespace

int InitCommand(const Args& args) {
  if (!args.empty()) return UsageError("init takes no arguments");
  if (!UseMachine()) return kExitFailed;
  std::printf("%s\n", Machine::Current().Dir().c_str());
  return kExitOk;
}

int InfoCommand(const Args& args) {
  if (!args.empty()) return UsageError("info takes no arguments");
  if (!UseMachine()) return kExitFailed;
  const Machine& m = Machine::Current();
  std::printf("Machine: %s\n", m.Dir().c_str());
  std::printf("Platform: %s\n", m.Platform() == PlatformKind::NT ? "NT" : "9x");
  std::printf("User: %s\n", m.UserName().c_str());
  std::printf("Admin: %s\n", m.IsAdmin() ? "yes" : "no");
  // The folder values as the engine fills them: with a backslash, program files as stored.
  std::printf("Windows: %s\n", WithBackslash(GetWindowsDirectory()).c_str());
  std::printf("System: %s\n", WithBackslash(GetSystemDirectory()).c_str());
  std::printf("Temp: %s\n", GetTempPath().c_str());
  std::printf("Program Files: %s\n", ProgramFilesValue().c_str());
  std::printf("Programs: %s\n", GetSpecialFolder(kCsidlPrograms).c_str());
  std::printf("StartUp: %s\n", GetSpecialFolder(kCsidlStartup).c_str());
  std::printf("Start Menu: %s\n", GetSpecialFolder(kCsidlStartMenu).c_str());
  std::printf("Desktop: %s\n", GetSpecialFolder(kCsidlDesktopDirectory).c_str());
  std::printf("Drives:\n");
  for (const DriveInfo& d : m.Drives()) {
    std::printf("  %c: %s %s\n", d.letter, DriveTypeName(d.type), d.hostRoot.c_str());
  }
  return kExitOk;
}

int PathCommand(const Args& args) {
  if (args.size() != 1) return UsageError("usage: path WINPATH");
  if (!UseMachine()) return kExitFailed;
  auto host = Machine::Current().ToHost(args[0]);
  if (!host) {
    std::fprintf(stderr, "vxmachine: %s is on no drive of this machine\n", args[0].c_str());
    return kExitMissing;
  }
  std::printf("%s\n", host->c_str());
  return kExitOk;
}

}  // namespace vx::tool
