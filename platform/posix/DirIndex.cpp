#include "platform/posix/DirIndex.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/WinPath.h"
#include "platform/posix/NameTable.h"

namespace vx::posix {

namespace {

constexpr std::size_t kMaxFolders = 256;
constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_CREATE;

// The folder that the current OneLook of this thread has checked already, if any.
thread_local int lookDepth = 0;
thread_local std::string lookedAt;

// Counts forks in the child, so that the index knows it is another process without asking
// for its id at every lookup.
std::atomic<unsigned> forks{0};
void CountFork() { forks.fetch_add(1, std::memory_order_relaxed); }

std::optional<std::string> Scan(const std::string& dir, std::string_view name, bool* dirMissing) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) {
    *dirMissing = errno == ENOENT || errno == ENOTDIR;
    return std::nullopt;
  }
  std::optional<std::string> best;
  while (struct dirent* e = ::readdir(d)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    if (winpath::EqualsNoCase(n, name) && (!best || n < *best)) best = std::string(n);
  }
  ::closedir(d);
  return best;
}

// File systems whose changes may come from elsewhere, unseen by inotify.
bool IsRemote(const std::string& dir) {
  struct statfs fs;
  if (::statfs(dir.c_str(), &fs) != 0) return true;
  switch (static_cast<std::uint32_t>(fs.f_type)) {
    case 0x6969u:      // NFS
    case 0x517Bu:      // SMB
    case 0xFF534D42u:  // CIFS
    case 0xFE534D42u:  // SMB2
    case 0x65735546u:  // FUSE
    case 0x00C36400u:  // Ceph
    case 0x01021997u:  // 9P
    case 0x5346414Fu:  // AFS
    case 0x47504653u:  // GPFS
    case 0x0BD00BD0u:  // Lustre
      return true;
    default:
      return false;
  }
}

struct Folder {
  int wd = -1;
  dev_t dev = 0;
  ino_t ino = 0;
  std::uint64_t lastUse = 0;
  NameTable names;  // a case-sensitive host may hold several names of one spelling
};

class Index {
 public:
  // Nothing in `scan` when the index answered; else the folder must be read directly (done
  // by the caller, outside the lock).
  std::optional<std::string> Find(const std::string& dir, std::string_view name, bool* scan,
                                  bool* dirMissing) {
    std::lock_guard<std::mutex> lock(mu_);
    *scan = false;
    if (!Ready()) {
      *scan = true;
      return std::nullopt;
    }
    Drain();
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      *dirMissing = true;
      return std::nullopt;
    }
    auto it = folders_.find(dir);
    // The same path may name another folder now (a parent was renamed, a new one made).
    if (it != folders_.end() && (it->second.dev != st.st_dev || it->second.ino != st.st_ino)) {
      Drop(it);
      it = folders_.end();
    }
    if (it == folders_.end()) {
      if (!Build(dir, st)) {
        *scan = true;
        return std::nullopt;
      }
      it = folders_.find(dir);
    }
    it->second.lastUse = ++clock_;
    return it->second.names.Find(name);
  }

  // Answers only for a folder indexed already, and costs no system call when it is not.
  std::optional<std::string> FindIndexed(const std::string& dir, std::string_view name,
                                         bool* answered, bool* dirMissing) {
    std::lock_guard<std::mutex> lock(mu_);
    *answered = false;
    if (fd_ < 0 || generation_ != forks.load(std::memory_order_relaxed)) return std::nullopt;
    auto it = folders_.find(dir);
    if (it == folders_.end()) return std::nullopt;
    if (lookDepth == 0 || lookedAt != dir) {
      Drain();
      it = folders_.find(dir);
      if (it == folders_.end()) return std::nullopt;
      struct stat st;
      if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *answered = *dirMissing = true;
        return std::nullopt;
      }
      if (it->second.dev != st.st_dev || it->second.ino != st.st_ino) return std::nullopt;
      if (lookDepth > 0) lookedAt = dir;
    }
    *answered = true;
    it->second.lastUse = ++clock_;
    return it->second.names.Find(name, /*exactFirst=*/true);
  }

  void Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    while (!folders_.empty()) Drop(folders_.begin());
  }

 private:
  using Iter = std::unordered_map<std::string, Folder>::iterator;

  // An inotify instance of this process: a forked child must not read its parent's events.
  bool Ready() {
    const unsigned generation = forks.load(std::memory_order_relaxed);
    if (fd_ >= 0 && generation_ == generation) return true;
    if (fd_ >= 0) {
      ::close(fd_);
      fd_ = -1;
      folders_.clear();
      byWatch_.clear();
    }
    if (unavailable_ && generation_ == generation) return false;
    generation_ = generation;
    static const bool counting = ::pthread_atfork(nullptr, nullptr, CountFork) == 0;
    if (!counting) return false;  // a child could not tell its index from its parent's
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    unavailable_ = fd_ < 0;
    return !unavailable_;
  }

  bool Build(const std::string& dir, const struct stat& st) {
    if (IsRemote(dir)) return false;
    if (folders_.size() >= kMaxFolders) EvictOldest();
    // Watch first, then read: every change after the read is then an event still to come.
    int wd = ::inotify_add_watch(fd_, dir.c_str(), kWatchMask);
    if (wd < 0) return false;  // out of watches, or the folder is watched under another name
    Folder f;
    f.wd = wd;
    f.dev = st.st_dev;
    f.ino = st.st_ino;
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
      ::inotify_rm_watch(fd_, wd);
      return false;
    }
    bool fits = true;
    while (struct dirent* e = ::readdir(d)) {
      std::string_view n = e->d_name;
      if (n != "." && n != "..") fits = fits && f.names.Add(n);
    }
    ::closedir(d);
    if (!fits) {
      ::inotify_rm_watch(fd_, wd);
      return false;
    }
    byWatch_[wd] = dir;
    folders_[dir] = std::move(f);
    // Events queued while the folder was read apply on top; each sets a name's presence to
    // what it became, so applying one twice does no harm.
    Drain();
    return folders_.count(dir) != 0;
  }

  void Drain() {
    alignas(struct inotify_event) char buf[16384];
    // A read stops only before an event that does not fit; one that left room for the
    // longest event emptied the queue, and asking again would only find it empty.
    constexpr ssize_t kRoomForAny = sizeof buf - (sizeof(struct inotify_event) + NAME_MAX + 1);
    for (;;) {
      ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        return;
      }
      for (ssize_t off = 0; off + static_cast<ssize_t>(sizeof(struct inotify_event)) <= n;) {
        auto* ev = reinterpret_cast<struct inotify_event*>(buf + off);
        off += static_cast<ssize_t>(sizeof(struct inotify_event) + ev->len);
        Apply(*ev);
      }
      if (n <= kRoomForAny) return;
    }
  }

  void Apply(const struct inotify_event& ev) {
    if (ev.mask & IN_Q_OVERFLOW) {
      // Events were lost: nothing indexed can be trusted.
      while (!folders_.empty()) Drop(folders_.begin());
      return;
    }
    auto w = byWatch_.find(ev.wd);
    if (w == byWatch_.end()) return;
    auto it = folders_.find(w->second);
    if (it == folders_.end()) return;
    if (ev.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
      Drop(it);
      return;
    }
    if (ev.len == 0) return;
    const std::string_view name(ev.name);  // zero-padded by the kernel
    if ((ev.mask & (IN_CREATE | IN_MOVED_TO)) && !it->second.names.Add(name)) {
      Drop(it);  // no room to keep it whole: read directly from now on
      return;
    }
    if (ev.mask & (IN_DELETE | IN_MOVED_FROM)) it->second.names.Remove(name);
  }

  void Drop(Iter it) {
    if (it->second.wd >= 0) {
      byWatch_.erase(it->second.wd);
      ::inotify_rm_watch(fd_, it->second.wd);
    }
    folders_.erase(it);
  }

  void EvictOldest() {
    auto oldest = folders_.begin();
    for (auto it = folders_.begin(); it != folders_.end(); ++it) {
      if (it->second.lastUse < oldest->second.lastUse) oldest = it;
    }
    if (oldest != folders_.end()) Drop(oldest);
  }

  std::mutex mu_;
  int fd_ = -1;
  unsigned generation_ = 0;
  bool unavailable_ = false;
  std::uint64_t clock_ = 0;
  std::unordered_map<std::string, Folder> folders_;
  std::unordered_map<int, std::string> byWatch_;
};

Index& TheIndex() {
  static auto* index = new Index();
  return *index;
}

}  // namespace

std::optional<std::string> FindNoCase(const std::string& dir, std::string_view name,
                                      bool* dirMissing) {
  bool scan = false;
  *dirMissing = false;
  auto found = TheIndex().Find(dir, name, &scan, dirMissing);
  return scan ? Scan(dir, name, dirMissing) : found;
}

std::optional<std::string> FindNoCase(const std::string& dir, std::string_view name) {
  bool dirMissing = false;
  return FindNoCase(dir, name, &dirMissing);
}

std::optional<std::string> FindNoCaseIfIndexed(const std::string& dir, std::string_view name,
                                               bool* answered, bool* dirMissing) {
  *dirMissing = false;
  return TheIndex().FindIndexed(dir, name, answered, dirMissing);
}

OneLook::OneLook() {
  if (lookDepth++ == 0) lookedAt.clear();
}
OneLook::~OneLook() {
  if (--lookDepth == 0) lookedAt.clear();
}

void ClearDirIndex() { TheIndex().Clear(); }

}  // namespace vx::posix
