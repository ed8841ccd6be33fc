#include "platform/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "platform/Trim.h"
#include "platform/WinPath.h"
#include "platform/posix/ProcessTable.h"

extern char** environ;

namespace vx {

namespace {

std::uint32_t ErrorFromErrno(int e) {
  switch (e) {
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOEXEC:
      return kErrorBadExeFormat;
    case ETXTBSY:
      return kErrorSharingViolation;
    default:
      return kErrorInvalidParameter;
  }
}

bool IsFile(const std::string& winPath) {
  std::uint32_t a = GetFileAttributes(winPath);
  return a != kInvalidAttributes && (a & kAttrDirectory) == 0;
}

// An absolute Windows path for `name` relative to `dir`; "" when it cannot be formed.
std::string Absolute(std::string_view name, std::string_view dir) {
  std::string p = winpath::ToBackslashes(name);
  std::string full;
  if (winpath::IsAbsolute(p)) {
    full = p;
  } else if (!p.empty() && p[0] == '\\') {
    if (dir.size() < 2 || dir[1] != ':') return {};
    full = std::string(dir.substr(0, 2)) + p;
  } else if (p.size() >= 2 && p[1] == ':') {
    return {};  // a drive-relative name ("C:x") has no meaning without per-drive folders
  } else {
    full = winpath::Join(dir, p);
  }
  std::string out;
  if (!winpath::Normalize(full, out)) return {};
  return out;
}

// Windows runs any program file; files the machine writes (an extracted Install.exe) carry no
// execute bit, so a program that has none gets it where it may be read.
std::string HostProgramOf(const std::string& winPath) {
  std::string host = HostPathOf(winPath);
  struct stat st;
  // lstat: a link keeps its target's mode; making someone else's file runnable is no job of ours.
  if (!host.empty() && lstat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      (st.st_mode & S_IXUSR) == 0) {
    chmod(host.c_str(), (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2));
  }
  return host;
}

}  // namespace

// fork + exec with everything prepared before the fork (the child only makes
// async-signal-safe calls). Reports exec failures through a close-on-exec pipe.
bool Spawn(const std::string& hostProgram, const std::vector<std::string>& args,
           const std::string& hostDir, const StartupInfo& info, pid_t* pidOut) {
  std::vector<std::string> envStore;
  for (char** e = environ; e && *e; ++e) {
    std::string_view v(*e);
    if (v.starts_with("VX_SHOW_WINDOW=") || v.starts_with("VX_WINDOW_TITLE=")) continue;
    envStore.emplace_back(v);
  }
  envStore.push_back("VX_SHOW_WINDOW=" +
                     std::to_string(info.useShowWindow ? info.showWindow : kSwShowNormal));
  if (!info.title.empty()) envStore.push_back("VX_WINDOW_TITLE=" + info.title);
  std::vector<char*> envp;
  for (auto& s : envStore) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::vector<std::string> argStore;
  argStore.push_back(hostProgram);
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argStore) argv.push_back(s.data());
  argv.push_back(nullptr);

  int outFd = -1;
  if (!info.stdOutput.empty()) {
    std::string hostOut = HostPathOf(info.stdOutput);
    if (hostOut.empty()) {
      SetLastError(kErrorPathNotFound);
      return false;
    }
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (info.appendStdOutput ? O_APPEND : O_TRUNC);
    outFd = open(hostOut.c_str(), flags, 0644);
    if (outFd < 0) {
      SetLastError(ErrorFromErrno(errno));
      return false;
    }
  }

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    if (outFd >= 0) close(outFd);
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  const char* dir = hostDir.empty() ? nullptr : hostDir.c_str();
  const long openMax = sysconf(_SC_OPEN_MAX);
  const int maxFd = openMax > 0 && openMax < 65536 ? static_cast<int>(openMax) : 65536;
  pid_t pid = fork();
  if (pid == 0) {
    // A new console on Windows: its own session, so the caller's terminal signals stay out.
    setsid();
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Signals this process ignores (a broken pipe, say) are the child's own business again.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) {
      if (sig != SIGKILL && sig != SIGSTOP) sigaction(sig, &byDefault, nullptr);
    }
    if (outFd >= 0) dup2(outFd, 1);
    // Windows hands a child only the handles made inheritable, which the engine never does:
    // open files (and the share locks on them) stay with this process.
    const unsigned errFd = static_cast<unsigned>(pipeFds[1]);
    long closed = 0;
    if (errFd > 3) closed = syscall(SYS_close_range, 3u, errFd - 1, 0u);
    if (closed == 0) closed = syscall(SYS_close_range, errFd + 1, ~0u, 0u);
    if (closed != 0) {
      for (int fd = 3; fd < maxFd; ++fd) {
        if (fd != pipeFds[1]) close(fd);
      }
    }
    int err = 0;
    if (dir && chdir(dir) != 0) {
      err = errno;
    } else {
      execve(argv[0], argv.data(), envp.data());
      err = errno;
    }
    ssize_t ignored = write(pipeFds[1], &err, sizeof err);
    (void)ignored;
    _exit(127);
  }
  close(pipeFds[1]);
  if (outFd >= 0) close(outFd);
  if (pid < 0) {
    close(pipeFds[0]);
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  int childErr = 0;
  ssize_t n;
  do {
    n = read(pipeFds[0], &childErr, sizeof childErr);
  } while (n < 0 && errno == EINTR);
  close(pipeFds[0]);
  if (n == static_cast<ssize_t>(sizeof childErr)) {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    SetLastError(ErrorFromErrno(childErr));
    return false;
  }
  *pidOut = pid;
  return true;
}

// Enters a started host process in the table. The caller gets its handle, or the handle is
// closed at once when the caller wants none (the process runs on).
void HandOver(pid_t pid, std::string_view commandLine, std::string_view program,
              const StartupInfo& info, ProcessHandle* process) {
  Record(commandLine, program, info);
  auto e = std::make_shared<Entry>();
  e->pid = pid;
  ProcessHandle h = AddEntry(std::move(e));
  if (process) {
    *process = h;
  } else {
    CloseProcessHandle(h);
  }
}

// ---- finding and starting programs -----------------------------------------------

std::string SearchProgram(std::string_view name, std::string_view defaultExtension,
                          std::string_view currentDirectory) {
  std::string cwd =
      currentDirectory.empty() ? GetCurrentDirectory() : std::string(currentDirectory);
  std::string n = winpath::ToBackslashes(name);
  if (n.empty()) {
    SetLastError(kErrorFileNotFound);
    return {};
  }
  std::vector<std::string> names;
  if (winpath::Extension(n).empty() && !defaultExtension.empty()) {
    names.push_back(n + std::string(defaultExtension));
  }
  names.push_back(n);

  bool hasFolder = n.find('\\') != std::string::npos || n.find(':') != std::string::npos;
  if (hasFolder) {
    for (const auto& cand : names) {
      std::string full = Absolute(cand, cwd);
      if (!full.empty() && IsFile(full)) return full;
    }
    SetLastError(kErrorFileNotFound);
    return {};
  }

  std::vector<std::string> folders;
  folders.emplace_back(winpath::Folder(GetModuleFileName()));
  folders.push_back(cwd);
  folders.push_back(GetSystemDirectory());
  folders.push_back(GetWindowsDirectory());
  if (const char* path = getenv("PATH")) {
    std::string_view p(path);
    while (!p.empty()) {
      std::size_t colon = p.find(':');
      std::string_view dir = p.substr(0, colon);
      p = colon == std::string_view::npos ? std::string_view{} : p.substr(colon + 1);
      if (dir.empty() || dir.front() != '/') continue;
      if (auto w = Machine::Current().ToWindows(dir)) folders.push_back(*w);
    }
  }
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    for (const auto& cand : names) {
      std::string full = Absolute(cand, folder);
      if (!full.empty() && IsFile(full)) return full;
    }
  }
  SetLastError(kErrorFileNotFound);
  return {};
}

bool CreateProcess(std::string_view commandLine, const StartupInfo& info, ProcessHandle* process) {
  if (process) *process = kNoProcess;
  ReapOrphans();
  if (commandLine.size() > kMaxCommandLine) {
    SetLastError(kErrorFilenameExcedRange);
    return false;
  }
  std::string cwd = info.currentDirectory.empty() ? GetCurrentDirectory() : info.currentDirectory;
  std::string_view s = TrimLeadingSpacesAndTabs(commandLine);
  std::string program, arguments;
  if (!s.empty() && s.front() == '"') {
    std::string quoted;
    SplitProgram(s, &quoted, &arguments);
    program = SearchProgram(quoted, ".exe", cwd);
  } else {
    // "C:\Program Files\App\x.exe -a": try each blank as the end of the program's name.
    for (std::size_t i = 0; i <= s.size(); ++i) {
      if (i < s.size() && !IsSpaceOrTab(s[i])) continue;
      std::string cand(s.substr(0, i));
      while (!cand.empty() && IsSpaceOrTab(cand.back())) cand.pop_back();
      if (cand.empty()) continue;
      program = SearchProgram(cand, ".exe", cwd);
      if (!program.empty()) {
        arguments = std::string(TrimLeadingSpacesAndTabs(s.substr(i)));
        break;
      }
    }
  }
  if (program.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  std::string host = HostProgramOf(program);
  std::string hostDir = HostPathOf(cwd);
  if (host.empty()) {
    SetLastError(kErrorFileNotFound);
    return false;
  }
  pid_t pid;
  if (!Spawn(host, CommandLineToArgv(arguments), hostDir, info, &pid)) return false;
  HandOver(pid, commandLine, program, info, process);
  return true;
}

}  // namespace vx
