#include "platform/LinkFile.h"

#include <cstdint>
#include <vector>

#include "platform/Files.h"

namespace vx {

namespace {

// Far above any link the shell writes; a bigger file is refused before it is read whole.
constexpr std::uint32_t kMaxLinkFileSize = 1u << 20;

}  // namespace

bool SaveLinkFile(const std::string& path, const ShellLinkData& link) {
  std::vector<std::uint8_t> bytes = BuildShellLink(link);
  FileHandle h = CreateFile(path, kGenericWrite, kShareNone, Disposition::CreateAlways);
  if (h == kInvalidHandle) return false;
  std::uint32_t written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written) &&
            written == bytes.size();
  ok = CloseHandle(h) && ok;
  // A half-written link would be a broken shortcut on the user's desktop.
  if (!ok) DeleteFile(path);
  return ok;
}

bool LoadLinkFile(const std::string& path, ShellLinkData* link) {
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return false;
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[4096];
  std::uint32_t got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buffer, sizeof buffer, &got)) && got > 0) {
    if (bytes.size() + got > kMaxLinkFileSize) {
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  CloseHandle(h);
  return ok && ParseShellLink(bytes.data(), bytes.size(), link);
}

}  // namespace vx
