// ReplaceProcess: execve of a machine program in place of the running one.
#include <errno.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Types.h"
#include "platform/Trim.h"

namespace vx {

namespace {

std::uint32_t ErrorOf(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return kErrorFileNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOEXEC:
      return kErrorBadExeFormat;
    default:
      return kErrorInvalidParameter;
  }
}

// The program part of a command line as CreateProcess reads it: a quoted name, or the
// shortest unquoted prefix ending at a blank that names a program file.
bool FindProgram(std::string_view line, std::string* program, std::string* arguments) {
  while (!line.empty() && IsSpaceOrTab(line.front())) line.remove_prefix(1);
  if (!line.empty() && line.front() == '"') {
    std::string quoted;
    SplitProgram(line, &quoted, arguments);
    *program = SearchProgram(quoted, ".exe");
    return !program->empty();
  }
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && !IsSpaceOrTab(line[i])) continue;
    std::string candidate(line.substr(0, i));
    while (!candidate.empty() && IsSpaceOrTab(candidate.back())) candidate.pop_back();
    if (candidate.empty()) continue;
    *program = SearchProgram(candidate, ".exe");
    if (program->empty()) continue;
    std::string_view rest = line.substr(i);
    while (!rest.empty() && IsSpaceOrTab(rest.front())) rest.remove_prefix(1);
    *arguments = std::string(rest);
    return true;
  }
  return false;
}

}  // namespace

bool ReplaceProcess(std::string_view commandLine) {
  if (commandLine.size() > kMaxCommandLine) {
    SetLastError(kErrorFilenameExcedRange);
    return false;
  }
  std::string program, arguments;
  if (!FindProgram(commandLine, &program, &arguments)) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  std::string host = HostPathOf(program);
  struct stat st;
  if (host.empty() || stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  // Windows runs any program file; a copy the machine made may lack the execute bit.
  if ((st.st_mode & S_IXUSR) == 0)
    chmod(host.c_str(), (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2));

  std::vector<std::string> store{host};
  for (std::string& a : CommandLineToArgv(arguments)) store.push_back(std::move(a));
  std::vector<char*> argv;
  for (std::string& s : store) argv.push_back(s.data());
  argv.push_back(nullptr);

  std::fflush(nullptr);
  // Open files (and the share locks on them) stay with this program, as CreateProcess
  // never hands handles on: every descriptor but the standard ones closes at the exec.
  if (syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC) != 0) {
    long openMax = sysconf(_SC_OPEN_MAX);
    int maxFd = openMax > 0 && openMax < 65536 ? static_cast<int>(openMax) : 65536;
    for (int fd = 3; fd < maxFd; ++fd) {
      int flags = fcntl(fd, F_GETFD);
      if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
  }
  execv(host.c_str(), argv.data());
  SetLastError(ErrorOf(errno));
  return false;
}

}  // namespace vx
