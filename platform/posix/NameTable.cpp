#include "platform/posix/NameTable.h"

#include <cstring>
#include <limits>

#include "platform/WinPath.h"

namespace vx::posix {

namespace {

constexpr std::size_t kFirstSlots = 16;
// Removed names' text is given back once it is half the text, and more than a little.
constexpr std::size_t kRebuildGarbageFactor = 2;
constexpr std::size_t kMinGarbage = 4096;

std::size_t NoCaseHash(std::string_view s) {
  std::uint64_t h = 1469598103934665603ULL;
  for (char c : s) {
    h ^= static_cast<unsigned char>(winpath::ToUpper(c));
    h *= 1099511628211ULL;
  }
  return static_cast<std::size_t>(h ^ (h >> 29));
}

}  // namespace

std::string_view NameTable::NameAt(std::uint32_t slot) const {
  return std::string_view(text_.data() + (slot - 1));  // up to its NUL
}

void NameTable::Rebuild(std::size_t slotCount) {
  std::string text;
  std::vector<std::uint32_t> slots(slotCount, kFree);
  const std::size_t mask = slotCount - 1;
  for (std::uint32_t s : slots_) {
    if (s == kFree || s == kGone) continue;
    const std::string_view name = NameAt(s);
    std::size_t i = NoCaseHash(name) & mask;
    while (slots[i] != kFree) i = (i + 1) & mask;
    slots[i] = static_cast<std::uint32_t>(text.size() + 1);
    text.append(name);
    text.push_back('\0');
  }
  text_ = std::move(text);
  slots_ = std::move(slots);
  used_ = live_;
  garbage_ = 0;
}

bool NameTable::Add(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return true;  // no such entry
  if (slots_.empty()) slots_.assign(kFirstSlots, kFree);
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = NoCaseHash(name) & mask;
  std::size_t reuse = slots_.size();
  for (; slots_[i] != kFree; i = (i + 1) & mask) {
    if (slots_[i] == kGone) {
      if (reuse == slots_.size()) reuse = i;
    } else if (NameAt(slots_[i]) == name) {
      return true;
    }
  }
  if (text_.size() + name.size() + 1 >= std::numeric_limits<std::uint32_t>::max() - 1) return false;
  const auto offset = static_cast<std::uint32_t>(text_.size() + 1);
  text_.append(name);
  text_.push_back('\0');
  if (reuse != slots_.size()) {
    slots_[reuse] = offset;
  } else {
    slots_[i] = offset;
    ++used_;
  }
  ++live_;
  // At most three quarters full, counting removed slots, which end probe runs no sooner.
  if (used_ * 4 >= slots_.size() * 3) {
    std::size_t size = kFirstSlots;
    while (size < live_ * 2) size *= 2;
    Rebuild(size);
  }
  return true;
}

void NameTable::Remove(std::string_view name) {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = NoCaseHash(name) & mask; slots_[i] != kFree; i = (i + 1) & mask) {
    if (slots_[i] != kGone && NameAt(slots_[i]) == name) {
      slots_[i] = kGone;
      --live_;
      garbage_ += name.size() + 1;
      break;
    }
  }
  if (live_ == 0) {
    *this = NameTable();
  } else if (garbage_ > kMinGarbage && garbage_ * kRebuildGarbageFactor > text_.size()) {
    std::size_t size = kFirstSlots;
    while (size < live_ * 2) size *= 2;
    Rebuild(size);
  }
}

std::optional<std::string> NameTable::Find(std::string_view name, bool exactFirst) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t mask = slots_.size() - 1;
  std::optional<std::string_view> best;
  for (std::size_t i = NoCaseHash(name) & mask; slots_[i] != kFree; i = (i + 1) & mask) {
    if (slots_[i] == kGone) continue;
    const std::string_view n = NameAt(slots_[i]);
    if (exactFirst && n == name) return std::string(n);
    if (winpath::EqualsNoCase(n, name) && (!best || n < *best)) best = n;
  }
  if (!best) return std::nullopt;
  return std::string(*best);
}

}  // namespace vx::posix
