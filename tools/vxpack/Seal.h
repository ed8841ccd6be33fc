// The seal of a self-extractor (engine/files/PayloadSeal.h): vxpack reserves room for it as
// the first payload entry, then fills it in once the program and its disks are written.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx::pack {

// Zero bytes the seal needs at its end so that a program of `lengthWithoutPadding` bytes
// becomes a multiple of 8 bytes long.
std::size_t SealPadding(std::uint64_t lengthWithoutPadding);

// Computes the digests of the written program (whose seal entry starts at `sealHead`, right
// after the program image) and of disks 1 .. disks, and writes the seal in place. False
// after saying why in `error`.
bool WriteSeal(const std::string& programHost, std::uint64_t sealHead, int disks,
               std::size_t padding, std::string& error);

// Appends to the folder installation's first disk (`diskZeroHost`, its header written) the
// seal of the files at `relative` paths under `root`. False after saying why in `error`.
bool SealFolder(const std::string& root, const std::vector<std::string>& relative,
                const std::string& diskZeroHost, std::string& error);

}  // namespace vx::pack
