#include "platform/posix/ProcessTable.h"

#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <map>
#include <thread>

#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

namespace {
std::mutex tableMutex;
std::map<ProcessHandle, std::shared_ptr<Entry>> table;
ProcessHandle nextHandle = 0x1000;
std::vector<pid_t> orphans;  // closed before they ended; reaped later
std::deque<StartRecord> starts;
}  // namespace

std::mutex& TableMutex() { return tableMutex; }

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

std::vector<StartRecord> RecentStarts() {
  std::lock_guard lock(tableMutex);
  return {starts.begin(), starts.end()};
}

}  // namespace vx
