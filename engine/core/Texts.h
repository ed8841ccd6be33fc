// User-visible texts by id (39999 to 40070): the locale file's TEXT section (key "Res<id>",
// macro-expanded) when it holds a non-empty value, else the built-in text.
#pragma once
#include <string>

namespace vx {

std::string LoadText(int id);
// The built-in text of an id, "" for an unknown id.
const char* BuiltinText(int id);
// printf-style fill of a text that holds %s / %d placeholders, never overrunning.
std::string FormatText(const std::string& format, const std::string& arg);
std::string FormatText(const std::string& format, long long arg);

}  // namespace vx
