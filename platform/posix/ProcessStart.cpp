#include "platform/Process.h"

#include <dlfcn.h>
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
#include "platform/WinPath.h"
#include "platform/Trim.h"

extern char** environ;

namespace vx {

namespace {

// ---- the handle table ---------------------------------------------------------------

struct ThreadState {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::uint32_t code = kStillActive;
};

struct Entry {
  pid_t pid = -1;                       // a host process, or
  std::shared_ptr<ThreadState> thread;  // a program run on a thread
  bool finished = false;
  std::uint32_t code = kStillActive;
};

std::mutex tableMutex;
std::map<ProcessHandle, std::shared_ptr<Entry>> table;
ProcessHandle nextHandle = 0x1000;
std::vector<pid_t> orphans;  // closed before they ended; reaped later
std::deque<StartRecord> starts;

ProcessHandle AddEntry(std::shared_ptr<Entry> e) {
  std::lock_guard lock(tableMutex);
  ProcessHandle h = nextHandle;
  nextHandle += 4;
  table[h] = std::move(e);
  return h;
}

std::shared_ptr<Entry> FindEntry(ProcessHandle h) {
  std::lock_guard lock(tableMutex);
  auto it = table.find(h);
  return it == table.end() ? nullptr : it->second;
}

void ReapOrphans() {
  std::lock_guard lock(tableMutex);
  for (auto it = orphans.begin(); it != orphans.end();) {
    int status = 0;
    pid_t r = waitpid(*it, &status, WNOHANG);
    if (r == *it || (r < 0 && errno == ECHILD)) {
      it = orphans.erase(it);
    } else {
      ++it;
    }
  }
}

std::uint32_t ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  return 1;
}

void Record(std::string_view commandLine, std::string_view program, const StartupInfo& info) {
  std::lock_guard lock(tableMutex);
  StartRecord r;
  r.commandLine = std::string(commandLine);
  r.program = std::string(program);
  r.showWindow = info.useShowWindow ? info.showWindow : kSwShowNormal;
  r.title = info.title;
  starts.push_back(std::move(r));
  while (starts.size() > 32) starts.pop_front();
}

// ---- starting host processes ---------------------------------------------------------

std::uint32_t ErrorFromErrno(int e) {
  switch (e) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM: return kErrorAccessDenied;
    case ENOEXEC: return kErrorBadExeFormat;
    case ETXTBSY: return kErrorSharingViolation;
    default: return kErrorInvalidParameter;
  }
}

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
    struct sigaction byDefault{};
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

namespace {

// Programs run on threads cannot outlive the process as real ones would. At exit they get a
// short grace to finish, so that one that is still deleting or copying files is not cut off
// while the process tears its services down.
constexpr auto kThreadProgramGrace = std::chrono::seconds(3);
std::mutex runningMutex;
std::vector<std::weak_ptr<ThreadState>> running;

void WaitForThreadPrograms() {
  std::vector<std::shared_ptr<ThreadState>> states;
  {
    std::lock_guard lock(runningMutex);
    for (auto& w : running) {
      if (auto s = w.lock()) states.push_back(std::move(s));
    }
  }
  const auto deadline = std::chrono::steady_clock::now() + kThreadProgramGrace;
  for (auto& s : states) {
    std::unique_lock lock(s->mutex);
    s->done.wait_until(lock, deadline, [&] { return s->finished; });
  }
}

void TrackThreadProgram(const std::shared_ptr<ThreadState>& state) {
  static const bool registered = [] { return std::atexit(WaitForThreadPrograms) == 0; }();
  (void)registered;
  std::lock_guard lock(runningMutex);
  std::erase_if(running, [](const std::weak_ptr<ThreadState>& w) { return w.expired(); });
  running.push_back(state);
}

}  // namespace

ProcessHandle StartThreadProcess(std::string_view commandLine, const StartupInfo& info,
                                 std::function<std::uint32_t()> body) {
  std::string program;
  SplitProgram(commandLine, &program, nullptr);
  Record(commandLine, program, info);
  auto state = std::make_shared<ThreadState>();
  TrackThreadProgram(state);
  auto e = std::make_shared<Entry>();
  e->thread = state;
  ProcessHandle h = AddEntry(e);
  std::thread([state, body = std::move(body)] {
    std::uint32_t code = body ? body() : 0;
    std::lock_guard lock(state->mutex);
    state->finished = true;
    state->code = code;
    state->done.notify_all();
  }).detach();
  return h;
}

std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds) {
  auto e = FindEntry(process);
  if (!e) {
    SetLastError(kErrorInvalidHandle);
    return kWaitFailed;
  }
  using Clock = std::chrono::steady_clock;
  const bool forever = milliseconds == kInfinite;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);

  if (e->thread) {
    std::unique_lock lock(e->thread->mutex);
    if (forever) {
      e->thread->done.wait(lock, [&] { return e->thread->finished; });
      return kWaitObject0;
    }
    return e->thread->done.wait_until(lock, deadline, [&] { return e->thread->finished; })
               ? kWaitObject0
               : kWaitTimeout;
  }

  {
    std::lock_guard lock(tableMutex);
    if (e->finished) return kWaitObject0;
  }
  auto pause = std::chrono::milliseconds(1);
  while (true) {
    int status = 0;
    pid_t r = waitpid(e->pid, &status, forever ? 0 : WNOHANG);
    if (r == e->pid) {
      std::lock_guard lock(tableMutex);
      e->finished = true;
      e->code = ExitCodeOf(status);
      return kWaitObject0;
    }
    if (r < 0 && errno != EINTR) {
      // Reaped elsewhere: it has ended, its code is lost.
      std::lock_guard lock(tableMutex);
      if (!e->finished) {
        e->finished = true;
        e->code = 0;
      }
      return kWaitObject0;
    }
    if (forever) continue;
    auto now = Clock::now();
    if (now >= deadline) return kWaitTimeout;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
}

bool GetExitCodeProcess(ProcessHandle process, std::uint32_t* code) {
  auto e = FindEntry(process);
  if (!e) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (e->thread) {
    std::lock_guard lock(e->thread->mutex);
    if (code) *code = e->thread->finished ? e->thread->code : kStillActive;
    return true;
  }
  if (WaitForSingleObject(process, 0) == kWaitObject0) {
    std::lock_guard lock(tableMutex);
    if (code) *code = e->code;
  } else if (code) {
    *code = kStillActive;
  }
  return true;
}

bool CloseProcessHandle(ProcessHandle process) {
  std::lock_guard lock(tableMutex);
  auto it = table.find(process);
  if (it == table.end()) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (it->second->pid > 0 && !it->second->finished) orphans.push_back(it->second->pid);
  table.erase(it);
  return true;
}

// ---- documents ------------------------------------------------------------------------

namespace {

std::string FindOnHostPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = getenv("PATH");
  if (!path) return {};
  std::string_view p(path);
  while (!p.empty()) {
    std::size_t colon = p.find(':');
    std::string dir(p.substr(0, colon));
    p = colon == std::string_view::npos ? std::string_view{} : p.substr(colon + 1);
    if (dir.empty()) continue;
    std::string full = dir + "/" + name;
    struct stat st;
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) {
      return full;
    }
  }
  return {};
}

}  // namespace

bool ShellOpen(std::string_view file, int showWindow, ProcessHandle* process) {
  if (process) *process = kNoProcess;
  ReapOrphans();
  std::string opener;
  if (const char* custom = getenv("VX_OPEN_COMMAND"); custom && *custom) {
    opener = FindOnHostPath(custom);
  } else {
    opener = FindOnHostPath("xdg-open");
  }
  if (opener.empty()) {
    SetLastError(kErrorNoAssociation);
    return false;
  }
  std::string target;
  if (file.find("://") != std::string_view::npos || file.starts_with("mailto:")) {
    target = std::string(file);
  } else {
    target = HostPathOf(file);
    struct stat st;
    if (target.empty() || stat(target.c_str(), &st) != 0) {
      SetLastError(kErrorFileNotFound);
      return false;
    }
  }
  StartupInfo info;
  info.useShowWindow = true;
  info.showWindow = showWindow;
  pid_t pid;
  if (!Spawn(opener, {target}, {}, info, &pid)) return false;
  HandOver(pid, file, opener, info, process);
  return true;
}

// ---- libraries ------------------------------------------------------------------------

namespace {
thread_local std::string loadError;
}

ModuleHandle LoadLibrary(std::string_view path) {
  std::string found = SearchProgram(path, ".dll");
  if (found.empty()) {
    loadError = "The specified module could not be found.";
    SetLastError(kErrorModNotFound);
    return nullptr;
  }
  std::string host = HostPathOf(found);
  void* h = host.empty() ? nullptr : dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* err = dlerror();
    loadError = err ? err : "The specified module could not be found.";
    SetLastError(kErrorModNotFound);
    return nullptr;
  }
  loadError.clear();
  return h;
}

std::string LastLoadErrorText() { return loadError; }

void* GetProcAddress(ModuleHandle module, std::string_view name) {
  if (!module) {
    SetLastError(kErrorInvalidHandle);
    return nullptr;
  }
  std::string n(name);
  void* p = dlsym(module, n.c_str());
  if (!p) SetLastError(kErrorProcNotFound);
  return p;
}

bool FreeLibrary(ModuleHandle module) { return module && dlclose(module) == 0; }

// ---- restart --------------------------------------------------------------------------

namespace {
std::string RestartMarker() { return Machine::Current().Dir() + "/restart-requested"; }
}  // namespace

bool ExitWindowsEx(std::uint32_t flags) {
  std::ofstream out(RestartMarker(), std::ios::binary | std::ios::trunc);
  out << "flags=" << flags << "\n";
  out.close();
  if (!out) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  return true;
}

bool RestartRequested() {
  struct stat st;
  return stat(RestartMarker().c_str(), &st) == 0;
}

void ClearRestartRequest() { unlink(RestartMarker().c_str()); }

std::vector<StartRecord> RecentStarts() {
  std::lock_guard lock(tableMutex);
  return {starts.begin(), starts.end()};
}

}  // namespace vx
