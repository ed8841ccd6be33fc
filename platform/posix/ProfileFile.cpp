#include "platform/posix/ProfileFile.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/Machine.h"
#include "platform/Types.h"
#include "platform/WinPath.h"

namespace vx::profile {

namespace {

struct Identity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  bool operator==(const Identity&) const = default;
};

Identity IdentityOf(const struct stat& st) {
  Identity id;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return id;
}

std::int64_t NowNs() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// File times come from a coarse clock (a scheduler tick, or whole seconds on some file
// systems), so a change right after a read can leave size, inode and times as they were.
// A cached copy is trusted on the strength of its identity alone only once its file's last
// change lies clearly before the moment the copy was read; until then each read compares the
// bytes again.
bool Settled(const Identity& id, std::int64_t readStartNs) {
  const bool wholeSeconds = id.mtimeNs % 1000000000 == 0;
  const std::int64_t window = wholeSeconds ? 2000000000 : 50000000;
  return id.mtimeNs + window < readStartNs && id.ctimeNs + window < readStartNs;
}

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept {
    return std::hash<std::string_view>()(s);
  }
};
template <typename V>
using TextMap = std::unordered_map<std::string, V, TextHash, std::equal_to<>>;

// What a Windows path led to: the host path (valid while the file exists there) and the
// parsed contents with the identity of the file they were read from.
struct Entry {
  std::string host;
  Identity id;
  std::shared_ptr<const Document> doc;
  bool settled = false;
};

// The entries of one machine directory. A machine opened again (its settings, and so its
// drive mapping, may have changed) starts afresh.
struct MachineFiles {
  const Machine* machine = nullptr;
  TextMap<Entry> files;  // per absolute Windows path (or marked host path)
};

struct Cache {
  std::mutex mu;
  TextMap<MachineFiles> machines;

  TextMap<Entry>& FilesOf(const Machine& m) {  // with mu held
    MachineFiles& mf = machines[m.Dir()];
    if (mf.machine != &m) {
      mf.files.clear();
      mf.machine = &m;
    }
    return mf.files;
  }
};

constexpr std::size_t kMaxCachedFiles = 512;
// Starts the cache key of a file reached through a relative path; no Windows path has it.
constexpr char kHostKeyMark = '\x01';

Cache& TheCache() {
  static Cache* cache = new Cache;  // never destroyed: readers may run during exit
  return *cache;
}

void Remember(const Machine& machine, std::string_view winPath, Entry entry) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> lock(cache.mu);
  auto& files = cache.FilesOf(machine);
  if (files.size() >= kMaxCachedFiles) files.clear();
  files.insert_or_assign(std::string(winPath), std::move(entry));
}

std::shared_ptr<const Document> Cached(const Machine& machine, std::string_view key) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> lock(cache.mu);
  auto& files = cache.FilesOf(machine);
  auto e = files.find(key);
  return e == files.end() ? nullptr : e->second.doc;
}

void Forget(const Machine& machine, std::string_view winPath) {
  Cache& cache = TheCache();
  std::lock_guard<std::mutex> lock(cache.mu);
  auto& files = cache.FilesOf(machine);
  auto e = files.find(winPath);
  if (e != files.end()) files.erase(e);
}

std::uint32_t ErrorFromErrno(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    default:
      return kErrorAccessDenied;
  }
}

bool ReadAll(int fd, std::size_t expected, std::string* out) {
  out->clear();
  out->reserve(expected);
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (out->size() + static_cast<std::size_t>(n) > kMaxProfileSize) {
      errno = EFBIG;
      return false;
    }
    out->append(buf, static_cast<std::size_t>(n));
  }
}

// Reads a regular file whole. `id` is the identity it had when opened.
bool ReadFileAt(const std::string& host, std::string* bytes, Identity* id, bool* missing) {
  *missing = false;
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *missing = errno == ENOENT;
    return false;
  }
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && !S_ISREG(st.st_mode)) {
    errno = EISDIR;
    ok = false;
  } else if (ok && static_cast<std::uint64_t>(st.st_size) > kMaxProfileSize) {
    errno = EFBIG;
    ok = false;
  }
  if (ok) {
    *id = IdentityOf(st);
    ok = ReadAll(fd, static_cast<std::size_t>(st.st_size), bytes);
  }
  int saved = errno;
  ::close(fd);
  errno = saved;
  return ok;
}

// Whether the regular file at `host` holds exactly `text`, compared a block at a time, so
// that a cached parse is confirmed without a second copy of a large file in memory. `id` is
// the identity the file had when opened.
bool FileHolds(const std::string& host, const std::string& text, Identity* id) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<std::uint64_t>(st.st_size) == text.size();
  if (same) *id = IdentityOf(st);
  char buf[65536];
  std::size_t done = 0;
  while (same) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      same = n == 0 && done == text.size();
      break;
    }
    const auto got = static_cast<std::size_t>(n);
    same = got <= text.size() - done && text.compare(done, got, buf, got) == 0;
    done += got;
  }
  ::close(fd);
  return same;
}

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string HashName(const std::string& s) {
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

// An exclusive lock on a file of the machine's lock folder; released when the descriptor is
// closed (also when the process dies).
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno == ENOENT) {
      std::error_code ec;
      std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
      fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    }
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

bool Fail(int err) {
  SetLastError(ErrorFromErrno(err));
  return false;
}

}  // namespace

std::shared_ptr<const Document> Load(std::string_view winPath) {
  if (winPath.empty()) return nullptr;
  const Machine& machine = Machine::Current();
  thread_local std::string host;  // keeps its buffer between calls
  // Absolute paths are remembered by their Windows name, which spares the mapping while the
  // file stays where it was found. Relative ones depend on the current directory: they are
  // mapped every time and remembered by the host path they lead to.
  const bool absolute = winpath::IsAbsolute(winPath);
  std::string relativeKey;
  if (!absolute) {
    std::optional<std::string> mapped = machine.ToHost(winPath);
    if (!mapped) return nullptr;
    host = *mapped;
    relativeKey = std::string(1, kHostKeyMark) + host;
  }
  const std::string_view key = absolute ? winPath : std::string_view(relativeKey);

  Entry known;
  bool haveKnown = false;
  {
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> lock(cache.mu);
    auto& files = cache.FilesOf(machine);
    auto e = files.find(key);
    if (e != files.end()) {
      if (absolute) host = e->second.host;
      known.id = e->second.id;
      known.doc = e->second.doc;
      known.settled = e->second.settled;
      haveKnown = true;
    }
  }

  struct stat st;
  bool exists = ::stat(host.c_str(), &st) == 0;
  if (haveKnown && !exists) {
    // Gone from that host path; it may exist under another case of a name now.
    Forget(machine, key);
    haveKnown = false;
    if (absolute) {
      std::optional<std::string> mapped = machine.ToHost(winPath);
      if (!mapped) return nullptr;
      host = *mapped;
      exists = ::stat(host.c_str(), &st) == 0;
    }
  } else if (!haveKnown && absolute) {
    std::optional<std::string> mapped = machine.ToHost(winPath);
    if (!mapped) return nullptr;
    host = *mapped;
    exists = ::stat(host.c_str(), &st) == 0;
  }
  if (!exists || !S_ISREG(st.st_mode)) return nullptr;

  std::shared_ptr<const Document> candidate;
  if (haveKnown && known.id == IdentityOf(st)) {
    if (known.settled) return known.doc;
    candidate = known.doc;
  }

  const std::int64_t readStart = NowNs();
  Identity id;
  std::shared_ptr<const Document> doc;
  if (candidate && FileHolds(host, candidate->Text(), &id)) {
    doc = std::move(candidate);
  } else {
    // The stale parse goes before the new one is made: two of a large script would double
    // the run's peak memory.
    candidate.reset();
    known.doc.reset();
    Forget(machine, key);
    std::string bytes;
    bool missing = false;
    if (!ReadFileAt(host, &bytes, &id, &missing)) return nullptr;
    doc = std::make_shared<const Document>(std::move(bytes));
  }
  Remember(machine, key, Entry{host, id, doc, Settled(id, readStart)});
  return doc;
}

bool Update(std::string_view winPath, const Edit& edit) {
  if (winPath.empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  Machine& machine = Machine::Current();
  std::optional<std::string> mapped = machine.ToHost(winPath);
  if (!mapped || mapped->empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  // A link stays a link: its target is the file that gets replaced.
  std::string target = *mapped;
  struct stat lst;
  if (::lstat(target.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char* real = ::realpath(target.c_str(), nullptr);
    if (real == nullptr) return Fail(errno);
    target = real;
    ::free(real);
  }
  const std::size_t slash = target.find_last_of('/');
  if (slash == std::string::npos || slash + 1 == target.size()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  const std::string name = target.substr(slash + 1);
  char* realDir = ::realpath(slash == 0 ? "/" : target.substr(0, slash).c_str(), nullptr);
  if (realDir == nullptr) {
    const int err = errno;
    // Removing from a file that cannot exist succeeds without touching anything; anything
    // else fails, as missing folders are not created.
    const Document empty("", 0);
    if ((err == ENOENT || err == ENOTDIR) && edit(empty).empty()) return true;
    return Fail(err);
  }
  std::string dir = realDir;
  ::free(realDir);
  if (dir.back() != '/') dir += '/';
  const std::string file = dir + name;
  const std::string tag = HashName(file);

  FileLock lock(machine.LockDir() + "/" + tag + ".lock");
  if (!lock.Held()) return Fail(errno);

  struct stat st {};
  const bool exists = ::stat(file.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return Fail(errno);
  if (exists) {
    // The read-only attribute is the lack of write permission; root ignores permissions,
    // so the bits themselves are checked.
    if ((st.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0) {
      SetLastError(kErrorAccessDenied);
      return false;
    }
  }

  // The parse of the last read or write spares parsing the file again when it still holds
  // the same bytes; otherwise the file is read as it is now, under the lock.
  const std::string key =
      winpath::IsAbsolute(winPath) ? std::string(winPath) : std::string(1, kHostKeyMark) + *mapped;
  std::shared_ptr<const Document> doc = Cached(machine, key);
  Identity ignored;
  if (doc && !(exists ? FileHolds(file, doc->Text(), &ignored) : doc->Text().empty())) {
    doc.reset();
    Forget(machine, key);
  }
  if (!doc && exists) {
    std::string current;
    bool missing = false;  // deleted meanwhile: read as empty
    if (!ReadFileAt(file, &current, &ignored, &missing) && !missing) return Fail(errno);
    doc = std::make_shared<const Document>(std::move(current));
  } else if (!doc) {
    doc = std::make_shared<const Document>(std::string());
  }
  std::string next = edit(*doc);
  if (next == doc->Text()) return true;  // nothing changes (a missing file stays missing)
  // The old parse goes before the new one is made from the text written: a large script is
  // held once as parsed and once as text at most.
  doc.reset();
  Forget(machine, key);

  // One temporary name per file: the lock guarantees a single writer, and a file left by a
  // writer that died is simply replaced.
  const std::string temp = dir + ".vxtmp-" + tag;
  ::unlink(temp.c_str());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                  exists ? 0600 : 0666);
  if (fd < 0) return Fail(errno);
  if (exists) {
    // Owner first: a change of owner may clear mode bits that the chmod then restores.
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
      (void)::fchown(fd, st.st_uid, st.st_gid);  // possible only for root; best effort
    }
    ::fchmod(fd, st.st_mode & 07777);
  }
  if (!WriteAll(fd, next) || ::fsync(fd) != 0 || ::rename(temp.c_str(), file.c_str()) != 0) {
    int err = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    return Fail(err);
  }
  struct stat written;
  const bool haveIdentity = ::fstat(fd, &written) == 0;
  ::close(fd);

  // Seed the cache with what was written; the next read still compares it with the file.
  if (haveIdentity) {
    Remember(machine, key,
             Entry{*mapped, IdentityOf(written), std::make_shared<const Document>(std::move(next)),
                   false});
  }
  return true;
}

}  // namespace vx::profile
