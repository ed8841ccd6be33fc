// The folder values and platform code fixed at start-up.
#pragma once
#include <string>

namespace vx {

struct FolderValues {
  std::string windows;       // ends with "\"
  std::string system;        // ends with "\"
  std::string temp;          // ends with "\"
  std::string programFiles;  // as stored in the registry, no "\" added
  std::string source;        // ends with "\"; replaced at start-up in -e and -m
  int platformCode = 0;      // 2 Win32s, 4 9x, 5 NT, 0 other
};

FolderValues& Folders();
// Fills every value from the platform; the source folder is the running program's folder.
void FillFolderValues();
// Shell folder by CSIDL, "" on failure.
std::string ShellFolder(int csidl);

}  // namespace vx
