// Starting the extracted installer.
#pragma once
#include <string>

namespace vx::extract {

// Makes `tempFolder` the current directory and starts the Install.exe extracted there with
// `commandLine` ("Install.exe -e ..."), without waiting. The program part is the
// temporary folder's Install.exe itself, so that a program of that name beside the
// extractor is never started instead. False when the process could not be created.
bool StartInstaller(const std::string& tempFolder, const std::string& commandLine);

}  // namespace vx::extract
