// On Windows the machine is Windows itself: its drives are the system's, its paths need no
// mapping and its stores (registry, profiles, restart queue) are the system's own. The object
// only answers the questions the engine asks of a machine.
#include "platform/win32/WinApi.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/System.h"

namespace vx {

struct PathCache {};

struct MachineLoader {
  static std::unique_ptr<Machine> Load() {
    std::unique_ptr<Machine> m(new Machine());
    m->dir_ = "";
    m->platform_ =
        GetVersionEx().platformId == kVerPlatformNT ? PlatformKind::NT : PlatformKind::Win9x;
    m->user_ = GetUserName();
    m->admin_ = IsUserAdmin();
    for (const std::string& root : GetLogicalDriveStrings())
      m->drives_.push_back(DriveInfo{root[0], GetDriveType(root), root.substr(0, 2)});
    return m;
  }
};

Machine::Machine() = default;
Machine::~Machine() = default;

bool Machine::IsAdmin() const { return admin_; }
Machine::SystemScope::SystemScope() = default;
Machine::SystemScope::~SystemScope() = default;

std::string Machine::DefaultDir() { return {}; }

std::unique_ptr<Machine> Machine::Open(const std::string&) { return MachineLoader::Load(); }

// Install.exe and Karvo.dll each link this layer; the process has one machine all the same.
// The first module to ask keeps the object and leaves its address in the process's own
// environment under a name that holds the process id (a started program inherits the
// variable, but its id differs, so it makes its own).
Machine& Machine::Current() {
  static Machine* current = [] {
    char name[64];
    std::snprintf(name, sizeof name, "VX_MACHINE_OBJECT_%lu", ::GetCurrentProcessId());
    char value[32] = {};
    if (::GetEnvironmentVariableA(name, value, sizeof value) > 0) {
      unsigned long long address = std::strtoull(value, nullptr, 16);
      if (address != 0) return reinterpret_cast<Machine*>(static_cast<std::uintptr_t>(address));
    }
    Machine* m = MachineLoader::Load().release();
    std::snprintf(value, sizeof value, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(m)));
    ::SetEnvironmentVariableA(name, value);
    return m;
  }();
  return *current;
}

// There is one machine: the one the program runs on.
void Machine::SetCurrent(const std::string&) {}

const DriveInfo* Machine::Drive(char letter) const {
  for (const DriveInfo& d : drives_)
    if (d.letter == letter) return &d;
  return nullptr;
}

std::string Machine::RegistryFile() const { return {}; }
std::string Machine::LockDir() const { return {}; }

std::optional<std::string> Machine::ToHost(std::string_view winPath, bool* absent) const {
  if (absent) *absent = false;  // the path is only made full here, never looked up
  std::string full = HostPathOf(winPath);
  if (full.empty()) return std::nullopt;
  return full;
}

// A path from outside Windows (a Unix path Wine passes on, "/home/...") names nothing here.
std::optional<std::string> Machine::ToWindows(std::string_view hostPath) const {
  if (hostPath.empty() || hostPath.front() == '/') return std::nullopt;
  return ToHost(hostPath);
}

std::string Machine::FromOutside(std::string_view path) const {
  std::string full = HostPathOf(path);
  return full.empty() ? std::string(path) : full;
}

}  // namespace vx
