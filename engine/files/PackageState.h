// The state of the data package that every reader operation shares: one package per run,
// one open disk at a time. The application object owns one of these and hands it to the
// reader (PackageReader.h) and to the component installation.
#pragma once
#include <cstdint>
#include <string>

#include <vector>

#include "engine/files/PayloadSeal.h"
#include "platform/Types.h"

namespace vx {

struct PackageState {
  FileHandle handle = kInvalidHandle;  // the open disk, or invalid
  std::string path;                    // disk-0 path; a disk prompt never changes it
  int currentDisk = 0;
  int totalDisks = 0;               // TotalDisks of [<General>]
  bool compressed = false;          // from disk 0's header
  bool packageMode = false;         // false: files are plain copies from the source folder
  std::uint32_t packageLength = 0;  // L of the payload trailer (self-extractor hosts)
  // While the current disk is 0: package bytes of disk 0 not consumed yet. Keeps every read
  // on disk 0 inside the package, away from the payload trailer behind it.
  std::uint64_t firstDiskLeft = 0;
  // Digests of disks 1, 2, ... from the self-extractor's seal: a disk is checked whole
  // before its first byte is read, once per run (checked[n - 1]).
  std::vector<pkg::DiskSeal> diskSeals;
  std::vector<bool> diskChecked;
  bool damaged = false;  // a seal did not match: the run ends as a damaged installer

  PackageState() = default;
  PackageState(const PackageState&) = delete;
  PackageState& operator=(const PackageState&) = delete;
  ~PackageState() { Close(); }

  bool IsOpen() const { return handle != kInvalidHandle; }
  // Closes the open disk, if any, and marks the handle invalid.
  void Close();
};

}  // namespace vx
