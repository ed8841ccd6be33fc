#include "platform/RunLog.h"

#include <cstdlib>
#include <string>

#include "platform/RunLogHost.h"

namespace vx {

namespace {

const char* LogPath() {
  const char* path = std::getenv("VX_LOG");
  return path && *path ? path : nullptr;
}

}  // namespace

bool RunLogEnabled() { return LogPath() != nullptr; }

void AppendRunLogLine(std::string_view text) {
  const char* path = LogPath();
  if (!path) return;
  std::string line = RunLogLineStart();
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  AppendRunLogFileLine(path, line);
}

}  // namespace vx
