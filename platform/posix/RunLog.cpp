#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "platform/RunLogHost.h"

namespace vx {

std::string RunLogLineStart() {
  struct timeval now;
  gettimeofday(&now, nullptr);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  char stamp[48];
  std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(stamp + n, sizeof stamp - n, ".%03d", static_cast<int>(now.tv_usec / 1000));
  return std::string(stamp) + " [" + std::to_string(getpid()) + "] ";
}

void AppendRunLogFileLine(const char* path, const std::string& line) {
  const std::string whole = line + '\n';
  int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t written = ::write(fd, whole.data(), whole.size());
  (void)written;
  ::close(fd);
}

}  // namespace vx
