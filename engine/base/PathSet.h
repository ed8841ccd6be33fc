// Sets of paths compared without regard to case, at a small fixed cost per path. A run may
// note hundreds of thousands of files; each path is kept as a 128-bit digest of its upper-case
// spelling in one open-addressed table rather than as text and a hash node. Two paths of one
// machine sharing a digest is far less likely than a failing disk.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct PathDigest {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  bool operator==(const PathDigest&) const = default;
};

// The digest of `path` without regard to ASCII case; never all zero.
PathDigest DigestOfPath(std::string_view path);

class PathSet {
 public:
  bool Has(std::string_view path) const;
  // True when `path` was not in the set yet.
  bool Add(std::string_view path);
  std::size_t Size() const { return count_; }
  void Clear();

 private:
  std::size_t Slot(const PathDigest& digest) const;  // its slot, or the empty one it would take
  void Grow();

  std::vector<PathDigest> slots_;  // a power of two of them; all zero is a free slot
  std::size_t count_ = 0;
};

// A set that also gives its paths back in the order first added, packed in one buffer.
class PathList {
 public:
  bool Has(std::string_view path) const { return set_.Has(path); }
  void Add(std::string_view path);
  std::vector<std::string> Paths() const;
  void Clear();

 private:
  PathSet set_;
  std::string packed_;  // each path after its length (four bytes)
};

}  // namespace vx
