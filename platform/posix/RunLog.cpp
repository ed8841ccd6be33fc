#include "platform/RunLog.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

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
  struct timeval now;
  gettimeofday(&now, nullptr);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  char stamp[48];
  std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(stamp + n, sizeof stamp - n, ".%03d", static_cast<int>(now.tv_usec / 1000));
  std::string line = std::string(stamp) + " [" + std::to_string(getpid()) + "] ";
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  line += '\n';
  int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t written = ::write(fd, line.data(), line.size());
  (void)written;
  ::close(fd);
}

}  // namespace vx
