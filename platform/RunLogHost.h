// What each platform gives the run log (platform/RunLog.h): the start of a line and the one
// write that appends it.
#pragma once
#include <string>

namespace vx {

// "YYYY-MM-DD HH:MM:SS.mmm [process id] " in local time.
std::string RunLogLineStart();
// Appends `line` and the host's line end to the file in one write; errors are ignored.
void AppendRunLogFileLine(const char* path, const std::string& line);

}  // namespace vx
