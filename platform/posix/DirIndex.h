// Case-insensitive name lookup in host folders. Reading a large folder is slow, and the path
// mapping must read one for every name that is not spelled as stored, including every new
// file an installation creates. The folders read are therefore indexed and the index is kept
// current from inotify events, which the kernel queues before the changing call returns, so
// a change made by any process before a lookup is always seen by it. Folders on network file
// systems, whose remote changes raise no events, are read afresh every time, as is everything
// when inotify is not available.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vx::posix {

// The entry of host folder `dir` whose name equals `name` without regard to ASCII case; of
// several, the byte-wise smallest, so that the choice is stable. Nothing when there is none
// or the folder cannot be read. Thread-safe.
std::optional<std::string> FindNoCase(const std::string& dir, std::string_view name);
// The same; `dirMissing` tells whether nothing was found because `dir` is not a folder.
std::optional<std::string> FindNoCase(const std::string& dir, std::string_view name,
                                      bool* dirMissing);

// The same, asked of the index alone, except that a name spelled exactly as stored is
// preferred, as a look at the exact path would find it: `answered` is false, and nothing was
// looked at on disk, when `dir` is not indexed (or no longer the folder that was). A name new
// to an indexed folder then costs less than looking for it exactly first.
std::optional<std::string> FindNoCaseIfIndexed(const std::string& dir, std::string_view name,
                                               bool* answered, bool* dirMissing);

// While one lives, the index lookups of this thread check a folder once: the names of one
// operation (a move's source and target in one folder) are looked up as of one moment, as
// Windows resolves them in one call, instead of asking the system twice.
class OneLook {
 public:
  OneLook();
  ~OneLook();
  OneLook(const OneLook&) = delete;
  OneLook& operator=(const OneLook&) = delete;
};

// Forgets every indexed folder (a new machine is made current).
void ClearDirIndex();

}  // namespace vx::posix
