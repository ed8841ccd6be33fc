// Pure operations on Windows path texts. No file access.
#pragma once
#include <string>
#include <string_view>

namespace vx::winpath {

// ASCII case folding; Windows names compare without regard to case.
char ToUpper(char c);
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// "C:" at the front: the drive letter upper-cased, else 0.
char DriveLetter(std::string_view path);
// "C:\..." (a drive and a backslash; a forward slash is taken as one too).
bool IsAbsolute(std::string_view path);
// True when the text holds a character no Windows file name may hold: a wildcard, one of
// < > " |, a control character, or a ':' other than the drive's.
bool HasInvalidCharacters(std::string_view path);

// The DOS device a path's last name stands for, upper-cased ("NUL", "CON", "PRN", "AUX",
// "COM1".."COM9", "LPT1".."LPT9"), whatever its case, extension ("nul.txt") and trailing dots
// or blanks; "" when the name is a file's. Windows opens the device under any folder.
std::string DeviceName(std::string_view path);

// Forward slashes become backslashes.
std::string ToBackslashes(std::string_view path);

// Folds "\\", "." and ".." of an absolute path and trims names as Windows does (a period
// ending an inner name, every period and blank ending the last one). ".." never climbs above
// the drive root: returns false (and leaves out untouched) when it would, so a script cannot
// escape its drive.
// The result has an upper-case drive letter, backslashes only and no trailing backslash
// except on the root ("C:\").
bool Normalize(std::string_view absolutePath, std::string& out);

// Joins a folder and a relative name with exactly one backslash between them (an empty
// folder gives the name).
std::string Join(std::string_view folder, std::string_view name);

// Text after the last backslash (whole text when none).
std::string_view FileName(std::string_view path);
// Text up to and including the last backslash (empty when none).
std::string_view Folder(std::string_view path);
// Extension with its dot, of the file name part ("" when none).
std::string_view Extension(std::string_view path);

// Case-insensitive wildcard match of '*' and '?'; "*.*" matches every name, as on Windows.
// A final ".*" also matches names without an extension, a final "." only those.
bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace vx::winpath
