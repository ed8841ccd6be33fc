#include "platform/ProfileParse.h"

#include <climits>
#include <cstdint>

#include "platform/Trim.h"

namespace vx::profile {

namespace {

inline unsigned char Fold(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

inline bool IsBreak(char c) { return c == '\r' || c == '\n'; }

bool IsBlankLine(std::string_view line) {
  for (char c : line) {
    if (!IsSpaceOrTab(c)) return false;
  }
  return true;
}

// One line of the text: [begin, contentEnd) is its text, [contentEnd, end) its line break.
struct LineSpan {
  std::size_t begin, contentEnd, end;
};

LineSpan NextLine(const std::string& text, std::size_t pos) {
  std::size_t i = pos;
  const std::size_t n = text.size();
  while (i < n && !IsBreak(text[i])) ++i;
  LineSpan line{pos, i, i};
  if (i < n) {
    line.end = i + 1;
    if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') line.end = i + 2;
  }
  return line;
}

bool EndsWithBreak(const std::string& text) { return !text.empty() && IsBreak(text.back()); }

}  // namespace

std::size_t NoCaseHash::operator()(std::string_view s) const {
  std::uint64_t h = 1469598103934665603ULL;  // FNV-1a
  for (char c : s) {
    h ^= Fold(c);
    h *= 1099511628211ULL;
  }
  return static_cast<std::size_t>(h);
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

Document::Document(const char* data, std::size_t size) : text_(data, size) {
  const std::string_view all(text_);
  std::size_t pos = 0;
  if (all.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  Section* current = nullptr;
  while (pos < text_.size()) {
    const LineSpan span = NextLine(text_, pos);
    const std::string_view line = all.substr(span.begin, span.contentEnd - span.begin);
    const std::string_view body = TrimSpacesAndTabs(line);
    pos = span.end;
    if (!body.empty() && body.front() == '[') {
      if (current != nullptr) current->end = span.begin;
      std::string_view name = body.substr(1);
      std::size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      Section s;
      s.name = TrimSpacesAndTabs(name);
      s.begin = span.begin;
      s.end = text_.size();
      s.appendAt = span.end;
      s.appendNeedsBreak = span.end == span.contentEnd;
      sections_.push_back(std::move(s));
      current = &sections_.back();
      index_.emplace(current->name, static_cast<std::uint32_t>(sections_.size() - 1));
      continue;
    }
    if (current == nullptr) continue;  // before the first section
    if (!IsBlankLine(line)) {
      current->appendAt = span.end;
      current->appendNeedsBreak = span.end == span.contentEnd;
    }
    if (body.empty() || body.front() == ';') continue;
    const std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) continue;
    KeyLine key;
    key.name = TrimSpacesAndTabs(body.substr(0, eq));
    std::string_view value = TrimSpacesAndTabs(body.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    key.value = value;
    key.begin = span.begin;
    key.contentEnd = span.contentEnd;
    key.end = span.end;
    current->keys.push_back(key);
    current->index.emplace(key.name, static_cast<std::uint32_t>(current->keys.size() - 1));
  }
}

const Section* Document::FindSection(std::string_view name) const {
  auto it = index_.find(TrimSpacesAndTabs(name));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

const KeyLine* Document::FindKey(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return nullptr;
  auto it = s->index.find(TrimSpacesAndTabs(key));
  return it == s->index.end() ? nullptr : &s->keys[it->second];
}

std::vector<std::string> Document::SectionNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    // Only the first section of a name is listed, as only it is read.
    if (index_.at(sections_[i].name) == i) names.emplace_back(sections_[i].name);
  }
  return names;
}

std::vector<std::string> Document::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const Section* s = FindSection(section);
  if (s == nullptr) return names;
  for (std::size_t i = 0; i < s->keys.size(); ++i) {
    if (s->index.at(s->keys[i].name) == i) names.emplace_back(s->keys[i].name);
  }
  return names;
}

bool IsValidSectionName(std::string_view name) {
  for (char c : name) {
    if (c == ']' || IsBreak(c)) return false;
  }
  return true;
}

bool IsValidKeyName(std::string_view name) {
  for (char c : name) {
    if (c == '=' || IsBreak(c)) return false;
  }
  const std::string_view t = TrimSpacesAndTabs(name);
  return t.empty() || (t.front() != '[' && t.front() != ';');
}

std::string_view FirstLine(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && !IsBreak(value[i])) ++i;
  return value.substr(0, i);
}

std::string SetValue(const Document& doc, std::string_view section, std::string_view key,
                     std::string_view value) {
  const std::string& text = doc.Text();
  const std::string_view sectionName = TrimSpacesAndTabs(section);
  const std::string_view keyName = TrimSpacesAndTabs(key);
  std::string out;
  out.reserve(text.size() + sectionName.size() + keyName.size() + value.size() + 8);

  const Section* s = doc.FindSection(sectionName);
  if (s == nullptr) {
    out = text;
    if (!out.empty() && !EndsWithBreak(out)) out += "\r\n";
    out.append("[").append(sectionName).append("]\r\n");
    out.append(keyName).append("=").append(value).append("\r\n");
    return out;
  }
  if (const KeyLine* k = doc.FindKey(sectionName, keyName)) {
    out.append(text, 0, k->begin);
    out.append(k->name).append("=").append(value);
    out.append(text, k->contentEnd, std::string::npos);
    return out;
  }
  out.append(text, 0, s->appendAt);
  if (s->appendNeedsBreak) {
    out.append("\r\n").append(keyName).append("=").append(value);
  } else {
    out.append(keyName).append("=").append(value).append("\r\n");
  }
  out.append(text, s->appendAt, std::string::npos);
  return out;
}

namespace {

struct Range {
  std::size_t begin, end;
};

std::string WithoutRanges(const std::string& text, const std::vector<Range>& ranges) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (const Range& r : ranges) {  // ascending, disjoint
    out.append(text, pos, r.begin - pos);
    pos = r.end;
  }
  out.append(text, pos, std::string::npos);
  return out;
}

}  // namespace

std::string RemoveKey(const Document& doc, std::string_view section, std::string_view key) {
  const Section* s = doc.FindSection(section);
  if (s == nullptr) return doc.Text();
  const std::string_view keyName = TrimSpacesAndTabs(key);
  std::vector<Range> ranges;
  for (const KeyLine& k : s->keys) {
    if (NoCaseEqual()(k.name, keyName)) ranges.push_back({k.begin, k.end});
  }
  return WithoutRanges(doc.Text(), ranges);
}

std::string RemoveSection(const Document& doc, std::string_view section) {
  const std::string_view name = TrimSpacesAndTabs(section);
  std::vector<Range> ranges;
  for (const Section& s : doc.Sections()) {
    if (NoCaseEqual()(s.name, name)) ranges.push_back({s.begin, s.end});
  }
  return WithoutRanges(doc.Text(), ranges);
}

int ParseInt(std::string_view value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  std::int64_t n = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    n = n * 10 + (value[i] - '0');
    if (n > static_cast<std::int64_t>(INT_MAX) + 1) n = static_cast<std::int64_t>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-n);
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

}  // namespace vx::profile
