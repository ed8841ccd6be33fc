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
// when it creates the machine.
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
  char letter = 0;         // upper case
  DriveType type = DriveType::Unknown;
  std::string hostRoot;    // absolute host folder, no trailing slash ("/" for the host root)
};

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

  const std::string& Dir() const { return dir_; }
  PlatformKind Platform() const { return platform_; }
  const std::string& UserName() const { return user_; }
  bool IsAdmin() const { return admin_; }
  const std::vector<DriveInfo>& Drives() const { return drives_; }
  const DriveInfo* Drive(char letter) const;

  // Host files of the machine's own stores.
  std::string RegistryFile() const;  // SQLite database
  std::string LockDir() const;       // lock files of the profile service

  // Maps a Windows path (absolute, or relative to the current directory) to a host path.
  // Existing components are found without regard to case; missing ones keep the case given.
  // Returns nothing for a path on an unmapped drive or one that climbs above its root.
  std::optional<std::string> ToHost(std::string_view winPath) const;

  // The Windows name of a host absolute path: under the drive whose host root is the longest
  // prefix (so paths inside C:'s folder are C:\..., everything else Z:\...).
  std::optional<std::string> ToWindows(std::string_view hostPath) const;

  // Accepts either form from outside (command lines, own location): host absolute paths are
  // turned into Windows names, Windows paths are returned normalized.
  std::string FromOutside(std::string_view path) const;

 private:
  std::string dir_;
  PlatformKind platform_ = PlatformKind::NT;
  std::string user_;
  bool admin_ = false;
  std::vector<DriveInfo> drives_;
  friend struct MachineLoader;
};

}  // namespace vx
