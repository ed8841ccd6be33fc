// The names of one host folder, looked up without regard to ASCII case. An installation
// indexes folders of many thousand entries, so the names live in one block of text and the
// lookup table holds only offsets into it: a name costs its own bytes and a few more,
// instead of a node, a vector and a string or two per name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::posix {

class NameTable {
 public:
  // Adds a name as stored (no-op when present). False when the table is full (the text
  // block is limited to 32-bit offsets): the folder is then not to be indexed.
  bool Add(std::string_view name);
  void Remove(std::string_view name);
  // Of the names equal to `name` without regard to case, the byte-wise smallest; with
  // `exactFirst`, `name` itself when it is there.
  std::optional<std::string> Find(std::string_view name, bool exactFirst = false) const;
  std::size_t Size() const { return live_; }

 private:
  static constexpr std::uint32_t kFree = 0;
  static constexpr std::uint32_t kGone = 0xFFFFFFFFu;

  std::string_view NameAt(std::uint32_t slot) const;  // slot holds offset + 1
  void Rebuild(std::size_t slotCount);                // drops removed names and their text

  std::string text_;                  // the names, each ended by a NUL
  std::vector<std::uint32_t> slots_;  // offset + 1 of a name; kFree, or kGone once removed
  std::size_t live_ = 0;
  std::size_t used_ = 0;     // slots not free (live or removed)
  std::size_t garbage_ = 0;  // text bytes of removed names
};

}  // namespace vx::posix
