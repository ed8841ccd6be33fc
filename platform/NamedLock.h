// A lock that one holder of the machine has at a time under a name, as a Windows named mutex
// taken without waiting. It belongs to the process that took it: a process that ends,
// however it ends (killed included), lets it go, so a dead holder never blocks the next.
// Names are compared without regard to case.
#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace vx {

class NamedLock {
 public:
  // The lock, or null when another holder has it (last error kErrorAlreadyExists) or the
  // machine's lock folder cannot be used.
  static std::unique_ptr<NamedLock> TryTake(std::string_view name);
  // A share of the lock: any number of holders share it, and while one does, TryTake of the
  // same name fails (and a share fails while TryTake's holder has it).
  static std::unique_ptr<NamedLock> TryTakeShared(std::string_view name);
  // The name of the lock's file: the name itself could hold anything, so 16 hex digits of a
  // hash of it (case folded) stand in.
  static std::string FileKey(std::string_view name);
  ~NamedLock();
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

 private:
  explicit NamedLock(int fd) : fd_(fd) {}
  static std::unique_ptr<NamedLock> Take(std::string_view name, bool shared);
  int fd_;
};

}  // namespace vx
