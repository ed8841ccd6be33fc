#include "tools/vxpack/SourceTree.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/WinPath.h"

namespace vx::pack {

namespace fs = std::filesystem;

bool SplitRelative(std::string_view path, std::vector<std::string>& parts, std::string& why) {
  parts.clear();
  std::string text = winpath::ToBackslashes(path);
  if (text.find('{') != std::string::npos) {
    why = "a macro cannot name a source folder: \"" + text + "\"";
    return false;
  }
  if (!text.empty() && text[0] == '\\') {
    why = "\"" + text + "\" is not relative to the source tree";
    return false;
  }
  if (text.find(':') != std::string::npos) {
    why = "\"" + text + "\" names a drive; source folders are relative to the source tree";
    return false;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part.find_first_not_of('.') == std::string::npos) {
      why = "\"" + text + "\" climbs out of the source tree";
      return false;
    }
    parts.push_back(std::move(part));
  }
  return true;
}

namespace {

// The entry of `folder` named `part`: the exact name when it exists, else the first (in
// name order) that equals it without regard to case.
std::optional<fs::path> FindEntry(const fs::path& folder, const std::string& part) {
  std::error_code ec;
  fs::path exact = folder / part;
  if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) return exact;
  std::vector<std::string> matches;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (winpath::EqualsNoCase(name, part)) matches.push_back(name);
  }
  if (matches.empty()) return std::nullopt;
  std::sort(matches.begin(), matches.end());
  return folder / matches.front();
}

}  // namespace

std::optional<std::string> SourceTree::FindFile(std::string_view folder, std::string_view name,
                                                std::string& why) const {
  std::vector<std::string> parts, nameParts;
  if (!SplitRelative(folder, parts, why) || !SplitRelative(name, nameParts, why))
    return std::nullopt;
  if (nameParts.empty()) {
    why = "the file line names no file";
    return std::nullopt;
  }
  parts.insert(parts.end(), nameParts.begin(), nameParts.end());
  // Spelled as stored, the usual case: one look at the whole path finds what the walk
  // below would, since it takes the exact name wherever there is one.
  fs::path exact = root_;
  for (const std::string& part : parts) exact /= part;
  std::error_code exactError;
  if (fs::is_regular_file(exact, exactError)) return exact.string();
  fs::path current = root_;
  for (const std::string& part : parts) {
    auto next = FindEntry(current, part);
    if (!next) {
      why = "not found: " + (current / part).string();
      return std::nullopt;
    }
    current = *next;
  }
  std::error_code ec;
  if (!fs::is_regular_file(current, ec)) {
    why = "not a regular file: " + current.string();
    return std::nullopt;
  }
  return current.string();
}

std::optional<std::string> SourceTree::FindFolder(std::string_view folder, std::string& why) const {
  std::vector<std::string> parts;
  if (!SplitRelative(folder, parts, why)) return std::nullopt;
  fs::path current = root_;
  for (const std::string& part : parts) {
    auto next = FindEntry(current, part);
    if (!next) {
      why = "no such folder: " + (current / part).string();
      return std::nullopt;
    }
    current = *next;
  }
  std::error_code ec;
  if (!fs::is_directory(current, ec)) {
    why = "not a folder: " + current.string();
    return std::nullopt;
  }
  return current.string();
}

}  // namespace vx::pack
