#include "platform/Sound.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Wave.h"

extern char** environ;

namespace vx {

namespace {

// The one sound of the process, as on Windows: a new one cuts the old one off.
struct Player {
  std::mutex mutex;
  std::condition_variable stopped;
  pid_t pid = 0;                 // the player process, 0 when none
  bool waited = false;           // a synchronous call reaps it
  std::uint64_t generation = 0;  // bumped by every stop
};

Player& State() {
  static Player* p = new Player;  // never destroyed: a player may outlive static teardown
  return *p;
}

bool IsExecutable(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindInPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsExecutable(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(1, '.');
    candidate += '/';
    candidate += name;
    if (IsExecutable(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

// The player's program and its leading arguments; empty when the host has none.
std::vector<std::string> PlayerCommand() {
  if (const char* chosen = std::getenv("VX_SOUND_PLAYER")) {
    if (*chosen == 0) return {};
    std::string found = FindInPath(chosen);
    if (found.empty()) return {};
    return {found};
  }
  struct Known {
    const char* name;
    const char* quiet;
  };
  static const Known known[] = {{"aplay", "-q"}, {"paplay", nullptr}, {"pw-play", nullptr}};
  for (const Known& k : known) {
    std::string found = FindInPath(k.name);
    if (found.empty()) continue;
    std::vector<std::string> cmd{found};
    if (k.quiet) cmd.push_back(k.quiet);
    return cmd;
  }
  return {};
}

pid_t Spawn(const std::vector<std::string>& argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

// Ends the current sound. Called with the lock held.
void StopLocked(Player& p) {
  ++p.generation;
  if (p.pid != 0) {
    ::kill(p.pid, SIGKILL);
    if (!p.waited) ::waitpid(p.pid, nullptr, 0);
    p.pid = 0;
  }
  p.stopped.notify_all();
}

bool ReadWave(std::string_view file, WaveInfo* info) {
  FileHandle h =
      CreateFile(file, kGenericRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  std::int64_t size = GetFileSize(h);
  WaveReader read = [h](std::uint64_t offset, void* buffer, std::size_t n) -> std::size_t {
    if (SetFilePointer(h, std::int64_t(offset), SeekFrom::Begin) != std::int64_t(offset)) return 0;
    std::uint32_t got = 0;
    if (!ReadFile(h, buffer, std::uint32_t(n), &got)) return 0;
    return got;
  };
  bool ok = size >= 0 && ParseWave(read, std::uint64_t(size), info);
  CloseHandle(h);
  return ok;
}

}  // namespace

bool PlaySound(std::string_view file, std::uint32_t flags) {
  Player& p = State();
  std::unique_lock<std::mutex> lock(p.mutex);
  StopLocked(p);
  if (file.empty()) return false;

  WaveInfo wave;
  if (!ReadWave(file, &wave)) return false;
  const bool async = (flags & kSndAsync) != 0;

  std::vector<std::string> cmd = PlayerCommand();
  std::string host = HostPathOf(file);
  pid_t pid = 0;
  if (!cmd.empty() && !host.empty()) {
    cmd.push_back(host);
    pid = Spawn(cmd);
  }
  if (async) {
    p.pid = pid;
    p.waited = false;
    return pid != 0;
  }

  // Synchronous: wait for the player, then for whatever is left of the playing time (a
  // player that fails at once must not shorten the pause the script asked for). A sound
  // started meanwhile by another thread ends the wait.
  const std::uint64_t generation = p.generation;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(wave.durationMs);
  if (pid != 0) {
    p.pid = pid;
    p.waited = true;
    lock.unlock();
    // Wait without reaping, so that the pid cannot be reused while another thread may
    // still stop it; reap under the lock.
    siginfo_t info;
    while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    lock.lock();
    if (p.pid == pid) p.pid = 0;
    ::waitpid(pid, nullptr, 0);
  }
  p.stopped.wait_until(lock, deadline, [&] { return p.generation != generation; });
  return true;
}

}  // namespace vx
