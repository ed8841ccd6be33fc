#include "engine/base/SameContent.h"

#include <algorithm>
#include <array>

#include "platform/Files.h"

namespace vx {

namespace {
constexpr std::uint32_t kBlock = 64 * 1024;
}  // namespace

bool SameContent(std::string_view from, std::string_view to) {
  const std::uint32_t attributes = GetFileAttributes(to);
  if (attributes == kInvalidAttributes || (attributes & (kAttrReparsePoint | kAttrDirectory)))
    return false;
  FileHandle a = CreateFile(from, kGenericRead, kShareRead, Disposition::OpenExisting);
  FileHandle b = CreateFile(to, kGenericRead, kShareRead, Disposition::OpenExisting);
  bool same = a != kInvalidHandle && b != kInvalidHandle && GetFileSize(a) == GetFileSize(b) &&
              GetFileSize(a) >= 0;
  static thread_local std::array<std::uint8_t, kBlock> left, right;
  for (std::int64_t rest = same ? GetFileSize(a) : 0; same && rest > 0;) {
    const std::uint32_t want = std::uint32_t(std::min<std::int64_t>(kBlock, rest));
    std::uint32_t x = 0, y = 0;
    same = ReadFile(a, left.data(), want, &x) && x == want && ReadFile(b, right.data(), want, &y) &&
           y == want && std::equal(left.begin(), left.begin() + want, right.begin());
    rest -= want;
  }
  if (a != kInvalidHandle) CloseHandle(a);
  if (b != kInvalidHandle) CloseHandle(b);
  return same;
}

}  // namespace vx
