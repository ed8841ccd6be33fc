// Reads the data package strictly forwards: the start-up open of disk 0, positioning at a
// component's first record, and one record per file line, moving to the next disk (and
// asking the user for it) whenever the data runs off the end of the current one.
#pragma once
#include <cstdint>
#include <string>

#include "engine/files/PackageFormat.h"
#include "engine/files/PackageState.h"
#include "platform/Types.h"

namespace vx {

enum class StartupOpen {
  Opened,        // handle open right after disk 0's header; compression flag kept
  Failed,        // open failed, or the trailer or header was short: end without a message
  WrongVersion,  // "Version incompatable!" has been shown; end
};

// The start-up open of disk 0 (run states 0 and 1). With `selfExtractor` the package is the
// last payload entry: the trailer gives its length L and bytes left on the first disk. A
// stand-alone first disk is read from offset 0 for its header alone, so its records start
// on disk 1. Fills handle, path, currentDisk (0), compressed and packageLength of `state`.
StartupOpen OpenPackageAtStartup(PackageState& state, const std::string& path, bool selfExtractor);

// Maintenance runs: opens the recorded host; package mode is whether the open succeeded. The
// compression flag is taken from the header found through the payload trailer when there is
// one (the run would otherwise read a compressed package as raw data).
bool OpenInstalledPackage(PackageState& state, const std::string& path);

// Disk `disk` of the package whose disk 0 is `diskZeroPath`; asks the user for the folder
// (beep and "Insert Diskette" prompt) until the file opens. Invalid when the user cancels.
FileHandle OpenPackageDisk(const std::string& diskZeroPath, int disk);

// Positions the package at the record header of (component, item), which must lie on
// `startDisk`. False closes the package handle.
bool SeekComponentRecord(PackageState& state, int component, int item, int startDisk);

// Reads the record at the current position and writes it to `destination` (a Windows path;
// the only file the record may write). Unless `skipChecks`, the checks against an existing
// destination run first and may stage the file or skip the record. Afterwards the position
// is at the next record header, possibly on a later disk; on failure the destination stays
// written up to the last good chunk.
bool ExtractRecord(PackageState& state, const std::string& destination, bool skipChecks);

// Passes over the record at the current position (header included).
bool SkipRecord(PackageState& state);

// Steps of ExtractRecord for callers that need the header first (the file checks).
bool ReadRecordHeader(PackageState& state, pkg::RecordHeader& header);
bool SkipRecordData(PackageState& state, const pkg::RecordHeader& header);
// Writes the record's data to `target` and stamps its times; the header is already read.
bool WriteRecordData(PackageState& state, const pkg::RecordHeader& header,
                     const std::string& target);

// Largest chunk stream the reader accepts: what the writer export can produce for a
// 4096-byte block. A longer length is treated as damage, never allocated.
inline constexpr std::uint32_t kMaxChunkStream = 4096 + 4096 / 50 + 12 + 1;

}  // namespace vx
