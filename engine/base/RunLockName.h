// One run per product at a time: every engine run holds a lock named after the working copy
// of the install script it uses, and the self-extractor takes the same lock while it writes
// that working copy, so a second run can neither share nor overwrite the first one's copy.
// The lock goes with the process that holds it, so a killed run never blocks the next.
// Header-only: the self-extractor shares it without linking the engine.
#pragma once
#include <string>
#include <string_view>

namespace vx {

// The lock's name for a working copy (a full Windows path; case does not matter).
inline std::string WorkingCopyLockName(std::string_view workingCopy) {
  return "Vx Installer working copy " + std::string(workingCopy);
}

// Every run of any product (an engine, or a self-extractor until its engine starts) holds a
// share of this lock; a restart of the machine takes it whole, so it never happens under a
// run that would lose its files or its queued operations.
inline constexpr char kRunAliveLockName[] = "Vx Installer run alive";

// What a refused second run says (the engine and the self-extractor alike).
inline constexpr char kTextAnotherRun[] =
    "Another run of the Installer is already using this product's setup files. Please wait "
    "until it has finished, then try again.";

// The exit status of a refused second run (Install.exe and Extract.exe alike).
inline constexpr int kExitAnotherRun = 5;

}  // namespace vx
