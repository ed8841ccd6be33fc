// The run log a vendor asks for with VX_LOG=FILE: lines appended to a host file, each with
// the local time. Without the variable nothing is written, as the engine keeps no log.
#pragma once
#include <string_view>

namespace vx {

// True when VX_LOG names a file.
bool RunLogEnabled();
// Appends "<time> <text>" as one line (one write, so that the lines of processes that share
// the file never mix). Errors are ignored: a log must never stop a run.
void AppendRunLogLine(std::string_view text);

}  // namespace vx
