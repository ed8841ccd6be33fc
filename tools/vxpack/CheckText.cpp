#include "tools/vxpack/CheckText.h"

#include <algorithm>

namespace vx::pack {

namespace {
// The engine reads every value through a buffer of this size.
constexpr std::size_t kValueBuffer = 1024;
}  // namespace

CheckText::CheckText(std::string file, const std::string& text, Diagnostics& out)
    : file_(std::move(file)),
      doc_(std::make_unique<profile::Document>(text.data(), text.size())),
      out_(out) {
  // Line breaks as the parser splits lines: CR LF, LF or a lone CR.
  const std::string& t = doc_->Text();
  lineStarts_.push_back(0);
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    if (t[i] == '\r' || t[i] == '\n') lineStarts_.push_back(i + 1);
  }
}

std::string CheckText::Value(std::string_view section, std::string_view key) const {
  const profile::KeyLine* line = Key(section, key);
  if (line == nullptr) return {};
  return std::string(line->value.substr(0, kValueBuffer - 1));
}

int CheckText::Int(std::string_view section, std::string_view key) const {
  const profile::KeyLine* line = Key(section, key);
  return line == nullptr ? 0 : profile::ParseInt(line->value);
}

int CheckText::LineNear(std::string_view section, std::string_view key) const {
  if (const profile::KeyLine* k = Key(section, key)) return LineOf(*k);
  if (const profile::Section* s = Section(section)) return LineOf(*s);
  return 1;
}

int CheckText::LineAt(std::size_t offset) const {
  return int(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset) -
             lineStarts_.begin());
}

}  // namespace vx::pack
