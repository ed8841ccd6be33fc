#include "tools/vxpack/PictureRules.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/Trim.h"
#include "platform/WinPath.h"

namespace vx::pack {

namespace {

constexpr std::string_view kTempMacro = "{Temp}";
constexpr std::string_view kComponentPage = "<CompListWnd>";
// The pages whose ImgFileName is expanded as it stands.
constexpr std::string_view kExpandedPictureSections[] = {"<ScreenLayout>",   "<WelcomeWnd>",
                                                         "<UserInfoWnd>",    "<InstTypeListWnd>",
                                                         "<InstSummaryWnd>", "<CompletionWnd>"};

struct Line {
  int number;
  std::string section, key, value;
};

std::vector<Line> KeyLines(std::string_view text) {
  std::vector<Line> out;
  std::string section;
  for (int number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    const std::string_view row = TrimWhiteSpace(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (row.empty() || row.front() == ';') continue;
    if (row.front() == '[') {
      const std::size_t close = row.rfind(']');
      if (close != std::string_view::npos) section = std::string(row.substr(1, close - 1));
      continue;
    }
    const std::size_t eq = row.find('=');
    if (eq == std::string_view::npos) continue;
    out.push_back({number, section, std::string(TrimWhiteSpace(row.substr(0, eq))),
                   std::string(TrimWhiteSpace(row.substr(eq + 1)))});
  }
  return out;
}

std::string FirstField(std::string_view value) {
  return std::string(TrimWhiteSpace(value.substr(0, value.find('|'))));
}

bool IsListKey(const std::string& key) {
  return !key.empty() && key.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

void CheckPictureRules(const std::string& file, const std::string& text, Diagnostics& out) {
  const std::vector<Line> lines = KeyLines(text);
  // The file names the [{Temp}] list puts into the temp folder, upper case.
  std::unordered_set<std::string> temp;
  for (const Line& l : lines)
    if (winpath::EqualsNoCase(l.section, "{Temp}") && IsListKey(l.key))
      temp.insert(winpath::ToUpper(FirstField(l.value)));
  auto warnMissing = [&](const Line& l, const std::string& name) {
    if (temp.count(winpath::ToUpper(name)) != 0) return;
    out.Add(file, l.number, Severity::Warning,
            "the picture " + l.value + " does not exist when the page is shown: " + name +
                " is not one of the [{Temp}] files, so the page shows an empty frame");
  };
  for (const Line& l : lines) {
    if (!winpath::EqualsNoCase(l.key, "ImgFileName") || l.value.empty()) continue;
    if (winpath::EqualsNoCase(l.section, kComponentPage)) {
      // The engine adds the temp folder itself; anything but a plain name lands elsewhere.
      const bool named = l.value.find_first_of("{}:") != std::string::npos ||
                         l.value.front() == '\\' || l.value.front() == '/';
      if (named) {
        const std::size_t slash = l.value.find_last_of("\\/");
        const std::string name = slash == std::string::npos ? l.value : l.value.substr(slash + 1);
        out.Add(file, l.number, Severity::Warning,
                "the component page puts the temp folder before its picture itself: write "
                "ImgFileName=" +
                    name + ", not ImgFileName=" + l.value);
      } else {
        warnMissing(l, l.value);
      }
      continue;
    }
    bool expandedSection = false;
    for (std::string_view s : kExpandedPictureSections)
      if (winpath::EqualsNoCase(l.section, s)) expandedSection = true;
    if (!expandedSection) continue;
    // Only the temp folder is known before the run; other folders are the machine's.
    const std::string_view value = l.value;
    if (value.size() > kTempMacro.size() &&
        winpath::EqualsNoCase(value.substr(0, kTempMacro.size()), kTempMacro)) {
      std::string_view rest = value.substr(kTempMacro.size());
      while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/')) rest.remove_prefix(1);
      if (rest.find_first_of("\\/") == std::string_view::npos && !rest.empty())
        warnMissing(l, std::string(rest));
    }
  }
}

}  // namespace vx::pack
