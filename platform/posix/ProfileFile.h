// Profile files on the host: a parsed cache that every read revalidates against the file, and
// writes that replace the file atomically under a lock shared by all processes.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ProfileParse.h"

namespace vx::profile {

// The current contents of the file at a Windows path; null when it is missing or unreadable.
// Any change made to the file since the last call (by any thread or process) is seen.
std::shared_ptr<const Document> Load(std::string_view winPath);

// Produces the new text from the current document.
using Edit = std::function<std::string(const Document&)>;

// Applies `edit` to the file as it is now and replaces it atomically: takes the file's lock,
// re-reads it, writes the new text to a temporary file beside it, syncs it and renames it over
// the file (keeping its permissions). A missing file is treated as empty and created when the
// edit produces text; a missing folder is not created. When the edit changes nothing the file
// is not touched. False (with the last error set) when the file cannot be written.
bool Update(std::string_view winPath, const Edit& edit);

// Files larger than this are treated as unreadable rather than read into memory.
inline constexpr std::size_t kMaxProfileSize = 64u << 20;

}  // namespace vx::profile
