#include "platform/posix/ShareLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/Files.h"
#include "platform/Types.h"

namespace vx::posix {

namespace {

// Marks live above every real file size (and below the largest offset a lock may name).
constexpr off_t kMarkBase = 0x7FFFFFFF00000000LL;
enum Kind { kRead = 0, kWrite = 1, kDelete = 2 };
constexpr off_t HasMark(Kind k) { return kMarkBase + k; }
constexpr off_t DeniesMark(Kind k) { return kMarkBase + 3 + k; }
constexpr off_t kMarkEnd = kMarkBase + 6;

bool Wants(std::uint32_t access, Kind k) {
  switch (k) {
    case kRead:
      return access & kGenericRead;
    case kWrite:
      return access & kGenericWrite;
    case kDelete:
      return access & kAccessDelete;
  }
  return false;
}

bool Shares(std::uint32_t share, Kind k) {
  switch (k) {
    case kRead:
      return share & kShareRead;
    case kWrite:
      return share & kShareWrite;
    case kDelete:
      return share & kShareDelete;
  }
  return false;
}

// Whether another open file description holds a lock on the mark byte.
bool Marked(int fd, off_t mark) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = mark;
  fl.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  if (fl.l_type == F_UNLCK) return false;
  // Marks of one handle next to each other merge into one range: anything inside the mark
  // area is a mark.
  if (fl.l_len > 0 && fl.l_start >= kMarkBase && fl.l_start + fl.l_len <= kMarkEnd) return true;
  // A wider lock of another program over the marks: only its exclusive kind means "in use".
  return fl.l_type == F_WRLCK;
}

// Whether another program holds a lock on the content that the wanted access conflicts with.
bool ContentLocked(int fd, bool forWriting) {
  struct flock fl {};
  fl.l_type = forWriting ? F_WRLCK : F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = kMarkBase;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

void Mark(int fd, off_t mark) {
  struct flock fl {};
  fl.l_type = F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = mark;
  fl.l_len = 1;
  // Fails only for a descriptor not open for reading; that handle then stays unmarked.
  (void)::fcntl(fd, F_OFD_SETLK, &fl);
}

class Gate {
 public:
  explicit Gate(int fd) : fd_(fd) {
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        held_ = false;
        return;
      }
    }
  }
  ~Gate() {
    if (held_) ::flock(fd_, LOCK_UN);
  }
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;

 private:
  int fd_;
  bool held_ = true;
};

}  // namespace

std::uint32_t CheckAndRecordShare(int fd, std::uint32_t access, std::uint32_t share, bool record) {
  // As on Windows, a handle without read, write or delete access neither checks nor denies.
  if (!(access & (kGenericRead | kGenericWrite | kAccessDelete))) return kErrorSuccess;
  // The gate makes a check and the marking one step; a check alone (before a delete or a
  // rename) gains nothing from it: a handle opened after the look is not seen either way.
  std::optional<Gate> gate;
  if (record) gate.emplace(fd);
  for (Kind k : {kRead, kWrite, kDelete}) {
    if (Wants(access, k) && Marked(fd, DeniesMark(k))) return kErrorSharingViolation;
    if (!Shares(share, k) && Marked(fd, HasMark(k))) return kErrorSharingViolation;
  }
  if ((access & (kGenericRead | kGenericWrite)) && ContentLocked(fd, access & kGenericWrite)) {
    return kErrorSharingViolation;
  }
  if (record) {
    for (Kind k : {kRead, kWrite, kDelete}) {
      if (Wants(access, k)) Mark(fd, HasMark(k));
      if (!Shares(share, k)) Mark(fd, DeniesMark(k));
    }
  }
  return kErrorSuccess;
}

void RecordShareOfNewFile(int fd, std::uint32_t access, std::uint32_t share) {
  if (!(access & (kGenericRead | kGenericWrite | kAccessDelete))) return;
  // The marks lie side by side: each run of adjacent ones is taken with a single lock.
  bool marks[kMarkEnd - kMarkBase] = {};
  for (Kind k : {kRead, kWrite, kDelete}) {
    marks[HasMark(k) - kMarkBase] = Wants(access, k);
    marks[DeniesMark(k) - kMarkBase] = !Shares(share, k);
  }
  for (off_t i = 0; i < kMarkEnd - kMarkBase;) {
    if (!marks[i]) {
      ++i;
      continue;
    }
    off_t end = i;
    while (end < kMarkEnd - kMarkBase && marks[end]) ++end;
    struct flock fl {};
    fl.l_type = F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kMarkBase + i;
    fl.l_len = end - i;
    (void)::fcntl(fd, F_OFD_SETLK, &fl);
    i = end;
  }
}

}  // namespace vx::posix
