// The vendor's signing command (--sign "COMMAND {file}"): run on a signed copy of every
// program the distribution ships, before packing, and on the finished self-extractor. The
// source tree and the engine folder are never changed: the programs are copied into a
// staging folder beside the output and signed there.
#pragma once
#include <string>

#include "tools/vxpack/PackInput.h"
#include "tools/vxpack/Reporter.h"

namespace vx::pack {

// The command with {file} replaced by the quoted host path.
std::string SignCommandFor(const std::string& command, const std::string& hostPath);

// Runs the signing command on one file; false (reported) when it exits non-zero.
bool SignFile(const std::string& command, const std::string& hostPath, Reporter& reporter);

// Copies the engine files and the product's programs (.exe, .dll, .ocx, .sys, .cpl, .scr)
// into `input.signStage`, signs the copies and makes the build take them; each copy keeps
// its source's last-write time. False (reported) when a copy or a signature fails.
bool SignShippedPrograms(PackInput& input, Reporter& reporter);

// Removes the staging folder, when there is one.
void DropSigningStage(const PackInput& input);

}  // namespace vx::pack
