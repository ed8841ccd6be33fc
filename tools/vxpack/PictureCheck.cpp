#include "tools/vxpack/PictureCheck.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "library/picture/PictureFile.h"
#include "platform/Trim.h"
#include "platform/WinPath.h"

namespace vx::pack {

namespace {

// The sections whose ImgFileName names a picture.
constexpr std::string_view kPictureSections[] = {
    "<ScreenLayout>",   "<WelcomeWnd>",    "<UserInfoWnd>", "<InstTypeListWnd>",
    "<InstSummaryWnd>", "<CompletionWnd>", "<CompListWnd>"};
constexpr int kBulletinAction = 10;

// The picture a line of the script names, "" for none.
std::string PictureOf(std::string_view section, std::string_view key, std::string_view value) {
  if (winpath::EqualsNoCase(key, "ImgFileName")) {
    for (std::string_view s : kPictureSections)
      if (winpath::EqualsNoCase(section, s)) return std::string(value);
    return {};
  }
  // An action line: "? | condition | code | description | argument".
  std::vector<std::string_view> fields;
  std::string_view rest = value;
  while (fields.size() < 5) {
    const std::size_t bar = rest.find('|');
    fields.push_back(TrimWhiteSpace(rest.substr(0, bar)));
    if (bar == std::string_view::npos) break;
    rest = rest.substr(bar + 1);
  }
  if (fields.size() == 5 && fields[0] == "?" && fields[2] == std::to_string(kBulletinAction))
    return std::string(fields[4]);
  return {};
}

// The host file the product ships under the picture's file name, "" when none does.
std::string ShippedFile(const PackInput& input, std::string_view picture) {
  const std::size_t slash = picture.find_last_of("\\/");
  const std::string_view name =
      slash == std::string_view::npos ? picture : picture.substr(slash + 1);
  for (const PackFile& f : input.script.tempFiles)
    if (winpath::EqualsNoCase(f.name, name) && !f.hostPath.empty()) return f.hostPath;
  for (const PackComponent& c : input.script.components)
    for (const PackFile& f : c.files)
      if (winpath::EqualsNoCase(f.name, name) && !f.hostPath.empty()) return f.hostPath;
  return {};
}

// Why the engine cannot read the picture, or "" when it can (or it is not shipped).
std::string Problem(const std::string& picture, const std::string& host) {
  const picture::Format format = picture::FormatOf(picture);
  if (format == picture::Format::None)
    return "the engine draws no picture from " + picture + ": it reads .bmp, .gif and .jpg files";
  if (host.empty()) return {};
  std::ifstream in(host, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  picture::PixelImage image;
  picture::Status status;
  if (in.bad() || picture::DecodePicture(format, bytes, picture, &image, &status)) return {};
  std::string reason = status.text;
  for (char& c : reason)
    if (c == '\n' || c == '\r') c = ' ';
  return "the engine cannot read the picture " + picture + " (" + host + "): " + reason;
}

}  // namespace

int WarnUnreadablePictures(const PackInput& input, Reporter& reporter) {
  int warnings = 0;
  std::string_view text = input.sourceText;
  std::string section;
  for (int line = 1; !text.empty(); ++line) {
    const std::size_t end = text.find('\n');
    const std::string_view row = TrimWhiteSpace(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!row.empty() && row.front() == '[') {
      const std::size_t close = row.rfind(']');
      if (close != std::string_view::npos) section = std::string(row.substr(1, close - 1));
      continue;
    }
    const std::size_t eq = row.find('=');
    if (eq == std::string_view::npos || row.front() == ';') continue;
    const std::string picture =
        PictureOf(section, TrimWhiteSpace(row.substr(0, eq)), TrimWhiteSpace(row.substr(eq + 1)));
    if (picture.empty()) continue;
    const std::string problem = Problem(picture, ShippedFile(input, picture));
    if (problem.empty()) continue;
    reporter.Warning(input.scriptName + ":" + std::to_string(line), problem);
    ++warnings;
  }
  if (!input.splash.host.empty()) {
    const std::string problem = Problem(input.splashName, input.splash.host);
    if (!problem.empty()) {
      reporter.Warning(input.options.splash, problem);
      ++warnings;
    }
  }
  return warnings;
}

}  // namespace vx::pack
