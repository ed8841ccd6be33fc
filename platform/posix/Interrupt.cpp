#include "platform/Interrupt.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <mutex>
#include <thread>

#include "platform/posix/ProcessTable.h"

namespace vx {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};

// The signal handler only writes a byte here; the watcher thread reads it and calls out.
int gPipe[2] = {-1, -1};

std::mutex& HandlerMutex() {
  static std::mutex m;
  return m;
}
std::function<void()>& Handler() {
  static std::function<void()> h;
  return h;
}

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  if (gPipe[1] >= 0) (void)!write(gPipe[1], &byte, 1);
  errno = saved;
}

void Watch() {
  for (;;) {
    char byte = 0;
    const ssize_t n = read(gPipe[0], &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    std::function<void()> h;
    {
      std::lock_guard lock(HandlerMutex());
      h = Handler();
    }
    if (h) h();
  }
}

bool StartWatcher() {
  if (pipe(gPipe) != 0) return false;
  for (int fd : gPipe) fcntl(fd, F_SETFD, FD_CLOEXEC);
  std::thread(Watch).detach();
  return true;
}

}  // namespace

void SetInterruptHandler(std::function<void()> onInterrupt) {
  static const bool watching = StartWatcher();
  const bool handled = watching && onInterrupt;
  {
    std::lock_guard lock(HandlerMutex());
    Handler() = std::move(onInterrupt);
  }
  struct sigaction action {};
  action.sa_handler = handled ? OnSignal : SIG_DFL;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

bool InterruptProcess(ProcessHandle process) {
  std::shared_ptr<Entry> e = FindEntry(process);
  if (!e) return false;
  pid_t pid = -1;
  {
    std::lock_guard lock(TableMutex());
    if (!e->finished) pid = e->pid;
  }
  return pid > 0 && kill(pid, SIGINT) == 0;
}

}  // namespace vx
