#include "library/PictureCache.h"

#include <chrono>
#include <list>
#include <mutex>
#include <string>

#include "library/picture/PictureFile.h"
#include "platform/Files.h"

namespace karvo {

namespace {

using vx::picture::Dib;
using vx::picture::FileStamp;

// A backdrop, a splash picture and the side pictures fit; a slide show replaces its oldest.
constexpr std::size_t kMaxEntries = 8;
constexpr std::size_t kMaxBytes = std::size_t{128} << 20;

// A file written this shortly before it was read may be written again within the same
// timestamp with the same size; such an entry is checked by decoding again.
constexpr std::int64_t kSettleTicks = 2 * 10'000'000;  // 2 s in FILETIME ticks

struct Entry {
  std::string host;
  FileStamp stamp;
  std::shared_ptr<const Dib> dib;
};

std::mutex g_mutex;
std::list<Entry> g_entries;  // the most recently used first

std::uint64_t NowTicks() {
  const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
  return vx::FileTimeFromUnix(0).ticks +
         static_cast<std::uint64_t>(
             std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100);
}

// The stamp of the file as it is now; false when it cannot be opened for reading.
bool CurrentStamp(std::string_view path, FileStamp* stamp) {
  const vx::FileHandle h =
      vx::CreateFile(path, vx::kGenericRead, vx::kShareRead, vx::Disposition::OpenExisting);
  if (h == vx::kInvalidHandle) return false;
  vx::FileTime written;
  const std::int64_t size = vx::GetFileSize(h);
  const bool ok = size >= 0 && vx::GetFileTime(h, nullptr, nullptr, &written);
  vx::CloseHandle(h);
  stamp->size = static_cast<std::uint64_t>(size);
  stamp->writeTime = written.ticks;
  return ok;
}

std::shared_ptr<const Dib> Lookup(const std::string& host, const FileStamp& stamp) {
  std::lock_guard lock(g_mutex);
  for (auto it = g_entries.begin(); it != g_entries.end(); ++it) {
    if (it->host != host) continue;
    if (!(it->stamp == stamp)) {
      g_entries.erase(it);
      return nullptr;
    }
    g_entries.splice(g_entries.begin(), g_entries, it);
    return it->dib;
  }
  return nullptr;
}

void Keep(const std::string& host, const FileStamp& stamp, std::shared_ptr<const Dib> dib) {
  std::lock_guard lock(g_mutex);
  g_entries.remove_if([&](const Entry& e) { return e.host == host; });
  g_entries.push_front(Entry{host, stamp, std::move(dib)});
  std::size_t bytes = 0;
  std::size_t count = 0;
  for (auto it = g_entries.begin(); it != g_entries.end();) {
    bytes += it->dib->bits.size();
    ++count;
    // The newest entry stays whatever its size.
    if (count > 1 && (count > kMaxEntries || bytes > kMaxBytes))
      it = g_entries.erase(it);
    else
      ++it;
  }
}

}  // namespace

std::shared_ptr<const Dib> CachedPicture(std::string_view path, vx::picture::Status* status) {
  const std::string host = vx::HostPathOf(path);
  FileStamp stamp;
  if (!host.empty() && vx::picture::FormatOf(path) != vx::picture::Format::None &&
      CurrentStamp(path, &stamp)) {
    if (auto dib = Lookup(host, stamp)) {
      *status = vx::picture::Status{"OK"};
      return dib;
    }
  }
  vx::picture::PixelImage image;
  if (!vx::picture::LoadPicture(path, &image, status, &stamp)) return nullptr;
  auto dib = std::make_shared<Dib>();
  if (!vx::picture::MakeDib(image, dib.get())) {
    *status = vx::picture::Status{"Out of memory"};
    return nullptr;
  }
  const bool settled = stamp.writeTime + kSettleTicks < NowTicks();
  if (!host.empty() && settled) Keep(host, stamp, dib);
  return dib;
}

}  // namespace karvo
