// Macro expansion of script texts ({Windows}, {InstallPath1}, user variables ...).
#pragma once
#include <string>
#include <string_view>

namespace vx {

// One pass: replaces the first token; true when a token was found (even without a value).
bool ExpandOnce(std::string& text);
// Repeats ExpandOnce until none is found (true) or 1000 passes found one (false).
bool ExpandFully(std::string& text);
// Convenience: the expanded text, whatever the result.
std::string Expanded(std::string text);
// The place of a token (braces included) in the table of built-in macros, compared without
// regard to case; -1 when it is none of them.
int BuiltinMacroIndex(std::string_view token);
// Replaces the token (braces included) with its value; leaves it when it has none.
void ResolveMacro(std::string& token);
// What action code 2 does with its resolved value: {LocaleFile}, an install path or a
// user variable takes it; any other target is left alone.
void StoreVariable(const std::string& target, const std::string& value);

// Drive root ("C:\") and the rest of a path.
void DriveOfPath(std::string_view path, std::string& root, std::string& rest);
bool PathIsOnDrive(std::string path, std::string_view root);

}  // namespace vx
