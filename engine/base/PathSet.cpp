#include "engine/base/PathSet.h"

#include <cstring>

#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::size_t kFirstSlots = 64;
// Grown when three quarters are taken, so that a search stays short.
constexpr std::size_t kLoadNumerator = 3;
constexpr std::size_t kLoadDenominator = 4;

// Two unrelated 64-bit lanes: FNV-1a and a multiply-rotate sum, each finished by the
// splitmix64 mixer so that every input bit reaches every output bit.
constexpr std::uint64_t kFnvBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;
constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ULL;
constexpr std::uint64_t kSecondSeed = 0x2545f4914f6cdd1dULL;
constexpr int kRotate = 29;

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  x ^= x >> 31;
  return x;
}

}  // namespace

PathDigest DigestOfPath(std::string_view path) {
  std::uint64_t a = kFnvBasis;
  std::uint64_t b = kSecondSeed;
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(winpath::ToUpper(c));
    a = (a ^ byte) * kFnvPrime;
    b = ((b + byte) * kGolden);
    b = (b << kRotate) | (b >> (64 - kRotate));
  }
  PathDigest d{Mix(a ^ path.size()), Mix(b + path.size())};
  if (d.low == 0 && d.high == 0) d.low = 1;
  return d;
}

std::size_t PathSet::Slot(const PathDigest& digest) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = static_cast<std::size_t>(digest.low) & mask;
  while (slots_[i] != PathDigest{} && slots_[i] != digest) i = (i + 1) & mask;
  return i;
}

bool PathSet::Has(std::string_view path) const {
  if (count_ == 0) return false;
  return slots_[Slot(DigestOfPath(path))] != PathDigest{};
}

bool PathSet::Add(std::string_view path) {
  if ((count_ + 1) * kLoadDenominator > slots_.size() * kLoadNumerator) Grow();
  const PathDigest digest = DigestOfPath(path);
  PathDigest& slot = slots_[Slot(digest)];
  if (slot == digest) return false;
  slot = digest;
  ++count_;
  return true;
}

void PathSet::Grow() {
  std::vector<PathDigest> old(slots_.empty() ? kFirstSlots : slots_.size() * 2);
  old.swap(slots_);
  for (const PathDigest& d : old)
    if (d != PathDigest{}) slots_[Slot(d)] = d;
}

void PathSet::Clear() {
  std::vector<PathDigest>().swap(slots_);
  count_ = 0;
}

void PathList::Add(std::string_view path) {
  if (!set_.Add(path)) return;
  const auto size = static_cast<std::uint32_t>(path.size());
  packed_.append(reinterpret_cast<const char*>(&size), sizeof size);
  packed_.append(path);
}

std::vector<std::string> PathList::Paths() const {
  std::vector<std::string> out;
  out.reserve(set_.Size());
  for (std::size_t at = 0; at + sizeof(std::uint32_t) <= packed_.size();) {
    std::uint32_t size = 0;
    std::memcpy(&size, packed_.data() + at, sizeof size);
    at += sizeof size;
    out.emplace_back(packed_, at, size);
    at += size;
  }
  return out;
}

void PathList::Clear() {
  set_.Clear();
  std::string().swap(packed_);
}

}  // namespace vx
