// User-visible texts by id (39999 to 40074): the locale file's TEXT section (key "Res<id>",
// macro-expanded) when it holds a non-empty value, else the built-in text.
#pragma once
#include <concepts>
#include <initializer_list>
#include <string>

namespace vx {

// Ids of the texts that came after the first table.
inline constexpr int kCompletedText = 40071;       // the completion page, no restart pending
inline constexpr int kRollingBackText = 40072;     // put before each step of a rollback
inline constexpr int kProductRemovedText = 40073;  // the uninstall's last word (%s: product)
inline constexpr int kFailureNoticeText = 40074;   // a failed run's reason (%s)

std::string LoadText(int id);
// The built-in text of an id, "" for an unknown id.
const char* BuiltinText(int id);
// printf-style fill of a text that holds %s / %d placeholders, never overrunning.
std::string FormatText(const std::string& format, const std::string& arg);
std::string FormatText(const std::string& format, long long arg);

// One argument of FormatTextList: a text, or a number (also usable for %s).
struct FormatArg {
  FormatArg(const std::string& s);
  FormatArg(const char* s);
  FormatArg(long long n);
  template <std::integral T>
  FormatArg(T n) : FormatArg(static_cast<long long>(n)) {}
  bool isNumber = false;
  long long number = 0;
  std::string text;
};
// Fills %s, %d, %i, %u, %x, %c (with flags, width and precision) in order; "%%" is "%". The
// format may come from a locale file, so a directive without an argument gives nothing and
// an unknown one stays as written.
std::string FormatTextList(const std::string& format, std::initializer_list<FormatArg> args);

}  // namespace vx
