// The emulated Windows machine: a directory holding the drives, the registry store, the
// profile files, the restart queue and the settings in machine.ini:
//
//   [Machine]
//   Platform=NT            (or 9x)
//   User=alice             (default: the host user)
//   Admin=1                (default: 1 when the effective uid is 0)
//   [Drives]
//   C=fixed,drive_c        (type: fixed, network, cdrom, removable or unknown; host folder,
//   Z=unknown,/             relative to the machine directory unless absolute)
//
// Keys missing from an existing machine.ini take their defaults; Open writes the file whole
// when it creates the machine. A drive key with an empty value ("Z=") removes that drive.
// The registry of a new machine is seeded (ProgramFilesDir) when the machine first becomes
// the current one, since the registry service works on the current machine.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

enum class PlatformKind { NT, Win9x };

// Values of the Windows DRIVE_* constants.
enum class DriveType : unsigned {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

struct DriveInfo {
  char letter = 0;  // upper case
  DriveType type = DriveType::Unknown;
  std::string hostRoot;  // absolute host folder, no trailing slash ("/" for the host root)
};

struct PathCache;

class Machine {
 public:
  // Opens the machine in `dir`, creating it with defaults when it does not exist yet.
  // Returns null when the directory cannot be created or machine.ini is unreadable.
  static std::unique_ptr<Machine> Open(const std::string& dir);

  // The machine of this process: the one set with SetCurrent, else $VX_MACHINE, else
  // $XDG_DATA_HOME/vx-installer/machine (~/.local/share/... when unset).
  static Machine& Current();
  static void SetCurrent(const std::string& dir);
  static std::string DefaultDir();

  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  const std::string& Dir() const { return dir_; }
  PlatformKind Platform() const { return platform_; }
  const std::string& UserName() const { return user_; }
  // The configured flag, or true on a thread inside a SystemScope.
  bool IsAdmin() const;

  // The machine's own housekeeping (seeding a new registry, applying the restart queue) runs
  // with the rights of the system, not of the configured user: while an object of this type
  // lives, IsAdmin() is true on the creating thread.
  class SystemScope {
   public:
    SystemScope();
    ~SystemScope();
    SystemScope(const SystemScope&) = delete;
    SystemScope& operator=(const SystemScope&) = delete;
  };
  const std::vector<DriveInfo>& Drives() const { return drives_; }
  const DriveInfo* Drive(char letter) const;

  // Host files of the machine's own stores.
  std::string RegistryFile() const;  // SQLite database
  std::string LockDir() const;       // lock files of the profile service

  // Maps a Windows path (absolute, or relative to the current directory) to a host path.
  // Existing components are found without regard to case; missing ones keep the case given.
  // Returns nothing for a path on an unmapped drive or one that climbs above its root.
  // Thread-safe; repeated lookups of an existing path are served from a validated cache.
  // `absent`, when given, tells whether the lookup itself found the path's folder there and
  // nothing in it under the last name in any case (false when it cannot tell).
  std::optional<std::string> ToHost(std::string_view winPath, bool* absent = nullptr) const;

  // The Windows name of a host absolute path: under the drive whose host root is the longest
  // prefix (so paths inside C:'s folder are C:\..., everything else Z:\...).
  std::optional<std::string> ToWindows(std::string_view hostPath) const;

  // Accepts either form from outside (command lines, own location): host absolute paths are
  // turned into Windows names, Windows paths are returned normalized. A relative path without
  // a drive is taken relative to the host's working directory, as a shell user means it.
  // A path that has no Windows name is returned unchanged.
  std::string FromOutside(std::string_view path) const;

 private:
  Machine();
  std::string dir_;
  PlatformKind platform_ = PlatformKind::NT;
  std::string user_;
  bool admin_ = false;
  std::vector<DriveInfo> drives_;
  std::vector<std::string> realRoots_;  // drives_[i].hostRoot with links resolved
  bool needsSeed_ = false;              // the registry did not exist when opened
  std::unique_ptr<PathCache> cache_;
  friend struct MachineLoader;
};

}  // namespace vx
