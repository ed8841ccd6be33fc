// Use counts of files that several products share: one REG_DWORD per file, named by its full
// path, under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs. When a
// count falls to zero the user is asked whether the file may go.
#pragma once
#include <string>

namespace vx {

inline constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// `delta` is +1 when a component installs the file, -1 when the uninstall run removes it.
void UpdateSharedFileCount(const std::string& path, int delta);

// Lowers the count by one without ever deleting the file (the rollback of a raise, for a
// file that was there before the run).
void LowerSharedFileCountOnly(const std::string& path);

// The remembered answer to the removal question for this run: 0 Yes, 1 Yes to all, 2 No,
// 3 No to all; 2 at start.
int SharedFileAnswer();
void ResetSharedFileAnswer();

}  // namespace vx
