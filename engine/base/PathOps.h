// Path operations on texts used with the store everywhere.
#pragma once
#include <string>
#include <string_view>

namespace vx {

// Nothing for ""; otherwise trims blanks and appends "\" when missing.
std::string EnsureTrailingBackslash(std::string_view path);
// Up to and including the last "\" (then EnsureTrailingBackslash); "" without one.
std::string FolderOfPath(std::string_view path);
// After the last "\"; the whole text without one.
std::string FileNameOfPath(std::string_view path);
// Cuts at the last "." and appends the extension (given a "." when it lacks one).
std::string ReplaceExtension(std::string_view path, std::string_view extension);
// The file can be opened for reading with shared read access.
bool FileExists(std::string_view path);

// Trims space, tab, LF, VT, FF and CR on both sides.
std::string Trim(std::string_view s);

}  // namespace vx
