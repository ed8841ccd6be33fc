// Shell link (.lnk) files: the binary layout in which Windows keeps shortcuts.
//
// The writer produces what the shell itself saves for a path target: the 0x4C-byte header with
// the link class id, a LinkInfo structure that names the target (a local path with its volume,
// or a UNC path with its share), the counted strings (description, relative path, working
// folder, arguments, icon file) and an empty extra-data list. Strings are the engine's 8-bit
// text in the active code page, so the Unicode flag is never set.
//
// The parser is strict: it takes a byte span and its length, checks every size, count and offset
// before reading, requires the flags to agree with the structures present, and rejects the file
// otherwise. It reads links written with Unicode strings too (characters beyond 8 bits become
// '?').
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace vx {

// LinkFlags bits.
enum : std::uint32_t {
  kLinkHasTargetIdList = 0x1,
  kLinkHasLinkInfo = 0x2,
  kLinkHasName = 0x4,
  kLinkHasRelativePath = 0x8,
  kLinkHasWorkingDir = 0x10,
  kLinkHasArguments = 0x20,
  kLinkHasIconLocation = 0x40,
  kLinkIsUnicode = 0x80,
  kLinkForceNoLinkInfo = 0x100,
  kLinkHasExpString = 0x200,
  kLinkHasDarwinId = 0x1000,
  kLinkHasExpIcon = 0x4000,
  kLinkRunWithShimLayer = 0x20000,
};

inline constexpr std::uint32_t kShellLinkHeaderSize = 0x4C;
inline constexpr std::uint32_t kShowNormal = 1;

struct ShellLinkData {
  // Full path of the target: "C:\P\a.exe", or "\\server\share\p\a.exe". Kept in LinkInfo; a
  // text that is neither is not written there (pass it as relativePath instead).
  std::string target;
  std::string relativePath;  // RELATIVE_PATH
  std::string description;   // NAME_STRING
  std::string workingDir;    // WORKING_DIR
  std::string arguments;     // COMMAND_LINE_ARGUMENTS
  std::string iconFile;      // ICON_LOCATION
  std::int32_t iconIndex = 0;
  std::uint32_t showCommand = kShowNormal;
  std::uint16_t hotKey = 0;
  // What the target was when the link was made (zero when it did not exist).
  std::uint32_t fileAttributes = 0;
  FileTime creationTime, accessTime, writeTime;
  std::uint32_t fileSize = 0;
  // Volume of a local target: DRIVE_* type, serial number and label.
  std::uint32_t driveType = 3;
  std::uint32_t driveSerial = 0;
  std::string volumeLabel;
  // LinkFlags as read; ignored by the writer, which derives them from the fields.
  std::uint32_t linkFlags = 0;
};

// The file's bytes. Counted strings longer than 65535 characters are cut to that length.
std::vector<std::uint8_t> BuildShellLink(const ShellLinkData& link);

// Fills *link from a whole file; false (and *link unspecified) when the bytes do not follow
// the layout. A link that names its target only by an item ID list gives an empty target.
bool ParseShellLink(const std::uint8_t* data, std::size_t size, ShellLinkData* link);

}  // namespace vx
