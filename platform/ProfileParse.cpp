#include "platform/ProfileParse.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <unordered_map>

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

namespace {

std::size_t SlotCount(std::size_t entries) {
  std::size_t n = 8;
  while (n < entries * 2) n <<= 1;
  return n;
}

std::size_t KeyHash(std::uint32_t section, std::string_view name) {
  std::uint64_t h = NoCaseHash()(name) ^ ((section + 1ULL) * 0x9E3779B97F4A7C15ULL);
  h ^= h >> 29;
  return static_cast<std::size_t>(h * 0xBF58476D1CE4E5B9ULL);
}

}  // namespace

Document::Document(const char* data, std::size_t size) : Document(std::string(data, size)) {}

Document::Document(std::string&& text) : text_(std::move(text)) {
  if (text_.size() > kMaxText) text_.clear();
  const std::string_view all(text_);
  // One key line at most per line: reserved whole, the array neither grows by half again
  // nor is copied while it grows.
  keys_.reserve(static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
  std::size_t pos = 0;
  if (all.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  // Key ranges are recorded as offsets while the key array grows.
  std::vector<std::size_t> firstKey;
  Section* current = nullptr;
  while (pos < text_.size()) {
    const LineSpan span = NextLine(text_, pos);
    const std::string_view line = all.substr(span.begin, span.contentEnd - span.begin);
    const std::string_view body = TrimSpacesAndTabs(line);
    pos = span.end;
    // A section line: its name runs to the last "]" of the line. A line without one starts
    // no section.
    const std::size_t close =
        body.empty() || body.front() != '[' ? std::string_view::npos : body.rfind(']');
    if (close != std::string_view::npos) {
      if (current != nullptr) current->end = span.begin;
      std::string_view name = body.substr(1, close - 1);
      Section s;
      s.name = TrimSpacesAndTabs(name);
      s.begin = span.begin;
      s.end = text_.size();
      s.appendAt = span.end;
      s.appendNeedsBreak = span.end == span.contentEnd;
      s.ordinal = static_cast<std::uint32_t>(sections_.size());
      sections_.push_back(s);
      firstKey.push_back(keys_.size());
      current = &sections_.back();
      continue;
    }
    if (current == nullptr) {
      // Keys before the first section form a section of the empty name, listed nowhere.
      if (body.empty() || body.find('=') == std::string_view::npos) continue;
      Section s;
      s.begin = span.begin;
      s.end = text_.size();
      s.appendAt = span.begin;
      s.implicit = true;
      s.ordinal = static_cast<std::uint32_t>(sections_.size());
      sections_.push_back(s);
      firstKey.push_back(keys_.size());
      current = &sections_.back();
    }
    if (!IsBlankLine(line)) {
      current->appendAt = span.end;
      current->appendNeedsBreak = span.end == span.contentEnd;
    }
    if (body.empty()) continue;
    const std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) continue;
    KeyLine key;
    key.name = TrimSpacesAndTabs(body.substr(0, eq));
    // A comment is read when asked for by its whole name, but no list names it.
    key.comment = body.front() == ';';
    std::string_view value = TrimSpacesAndTabs(body.substr(eq + 1));
    // One pair of matching quotes, double or single, encloses a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    key.value = value;
    key.begin = static_cast<std::uint32_t>(span.begin);
    key.contentEnd = static_cast<std::uint32_t>(span.contentEnd);
    key.end = static_cast<std::uint32_t>(span.end);
    keys_.push_back(key);
  }
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const std::size_t last = i + 1 < sections_.size() ? firstKey[i + 1] : keys_.size();
    sections_[i].keys = std::span<const KeyLine>(keys_.data() + firstKey[i], last - firstKey[i]);
  }
  BuildIndexes();
}

void Document::BuildIndexes() {
  sectionSlots_.assign(SlotCount(sections_.size()), 0);
  const std::size_t sectionMask = sectionSlots_.size() - 1;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    std::size_t slot = NoCaseHash()(sections_[i].name) & sectionMask;
    bool seen = false;
    for (; sectionSlots_[slot] != 0; slot = (slot + 1) & sectionMask) {
      if (NoCaseEqual()(sections_[sectionSlots_[slot] - 1].name, sections_[i].name)) {
        seen = true;  // the first section of a name is the one read
        break;
      }
    }
    if (!seen) sectionSlots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
  keySlots_.assign(SlotCount(keys_.size()), 0);
  const std::size_t keyMask = keySlots_.size() - 1;
  for (const Section& s : sections_) {
    for (const KeyLine& k : s.keys) {
      std::size_t slot = KeyHash(s.ordinal, k.name) & keyMask;
      bool seen = false;
      for (; keySlots_[slot] != 0; slot = (slot + 1) & keyMask) {
        const KeyLine& other = keys_[keySlots_[slot] - 1];
        if (&other >= s.keys.data() && &other < s.keys.data() + s.keys.size() &&
            NoCaseEqual()(other.name, k.name)) {
          seen = true;
          break;
        }
      }
      if (!seen) keySlots_[slot] = static_cast<std::uint32_t>(&k - keys_.data() + 1);
    }
  }
}

const Section* Document::FindSection(std::string_view name) const {
  name = TrimSpacesAndTabs(name);
  const std::size_t mask = sectionSlots_.size() - 1;
  for (std::size_t slot = NoCaseHash()(name) & mask; sectionSlots_[slot] != 0;
       slot = (slot + 1) & mask) {
    const Section& s = sections_[sectionSlots_[slot] - 1];
    if (NoCaseEqual()(s.name, name)) return &s;
  }
  return nullptr;
}

const KeyLine* Document::FindKeyIn(const Section& s, std::string_view key) const {
  const std::size_t mask = keySlots_.size() - 1;
  for (std::size_t slot = KeyHash(s.ordinal, key) & mask; keySlots_[slot] != 0;
       slot = (slot + 1) & mask) {
    const KeyLine& k = keys_[keySlots_[slot] - 1];
    if (&k >= s.keys.data() && &k < s.keys.data() + s.keys.size() && NoCaseEqual()(k.name, key))
      return &k;
  }
  return nullptr;
}

const KeyLine* Document::FindKey(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  return s == nullptr ? nullptr : FindKeyIn(*s, TrimSpacesAndTabs(key));
}

std::vector<std::string> Document::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) {
    // Only the first section of a name is listed, as only it is read.
    if (!s.implicit && FindSection(s.name) == &s) names.emplace_back(s.name);
  }
  return names;
}

std::vector<const KeyLine*> Document::FirstKeys(const Section& s) const {
  std::vector<const KeyLine*> first;
  for (const KeyLine& k : s.keys) {
    if (!k.comment && FindKeyIn(s, k.name) == &k) first.push_back(&k);
  }
  return first;
}

std::vector<std::string> Document::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* s = FindSection(section)) {
    for (const KeyLine* k : FirstKeys(*s)) names.emplace_back(k->name);
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

// Keys a batch adds to one section, in the order first set; a name set again keeps its
// first spelling and place and takes the last value.
struct NewKeys {
  std::vector<std::pair<std::string_view, std::string_view>> keys;
  std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual> at;

  void Set(std::string_view key, std::string_view value) {
    auto [it, added] = at.emplace(key, keys.size());
    if (added) {
      keys.emplace_back(key, value);
    } else {
      keys[it->second].second = value;
    }
  }
};

void AppendKeys(std::string& out, const NewKeys& keys, bool breakFirst) {
  for (const auto& [key, value] : keys.keys) {
    if (breakFirst) {
      out.append("\r\n").append(key).append("=").append(value);
    } else {
      out.append(key).append("=").append(value).append("\r\n");
    }
  }
}

}  // namespace

std::string SetValues(const Document& doc, std::span<const Assignment> changes) {
  const std::string& text = doc.Text();
  // The last value of each existing key line, the keys added to each existing section, and
  // the sections added, in the order first named.
  std::unordered_map<const KeyLine*, std::string_view> replaced;
  std::unordered_map<const Section*, NewKeys> added;
  std::vector<std::pair<std::string_view, NewKeys>> created;
  std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual> createdAt;
  std::size_t extra = 0;
  for (const Assignment& a : changes) {
    const std::string_view sectionName = TrimSpacesAndTabs(a.section);
    const std::string_view keyName = TrimSpacesAndTabs(a.key);
    extra += sectionName.size() + keyName.size() + a.value.size() + 8;
    const Section* s = doc.FindSection(sectionName);
    if (s == nullptr) {
      auto [it, fresh] = createdAt.emplace(sectionName, created.size());
      if (fresh) created.emplace_back(sectionName, NewKeys{});
      created[it->second].second.Set(keyName, a.value);
    } else if (const KeyLine* k = doc.FindKey(sectionName, keyName)) {
      replaced[k] = a.value;
    } else {
      added[s].Set(keyName, a.value);
    }
  }
  // Edits in text order: a section's key lines all lie before the place keys are added to it.
  struct Edit {
    std::size_t at, until;
    const KeyLine* line;     // a replaced line, or
    const Section* section;  // the section keys are added to
  };
  std::vector<Edit> edits;
  edits.reserve(replaced.size() + added.size());
  for (const auto& [k, value] : replaced) edits.push_back({k->begin, k->contentEnd, k, nullptr});
  for (const auto& [section, keys] : added)
    edits.push_back({section->appendAt, section->appendAt, nullptr, section});
  std::sort(edits.begin(), edits.end(), [](const Edit& x, const Edit& y) {
    if (x.at != y.at) return x.at < y.at;
    return x.line != nullptr && y.line == nullptr;
  });
  std::string out;
  out.reserve(text.size() + extra);
  std::size_t pos = 0;
  for (const Edit& e : edits) {
    out.append(text, pos, e.at - pos);
    pos = e.until;
    if (e.line != nullptr) {
      out.append(e.line->name).append("=").append(replaced[e.line]);
    } else {
      AppendKeys(out, added[e.section], e.section->appendNeedsBreak);
    }
  }
  out.append(text, pos, std::string::npos);
  for (const auto& [name, keys] : created) {
    if (!out.empty() && !EndsWithBreak(out)) out += "\r\n";
    out.append("[").append(name).append("]\r\n");
    AppendKeys(out, keys, false);
  }
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
  // The line read under the name goes; a later line of the name then shows through, as on
  // Windows.
  const KeyLine* k = doc.FindKey(section, key);
  if (k == nullptr) return doc.Text();
  return WithoutRanges(doc.Text(), {Range{k->begin, k->end}});
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
  while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  unsigned base = 10;
  if (i + 1 < value.size() && value[i] == '0') {
    switch (value[i + 1]) {
      case 'x':
      case 'X':
        base = 16;
        break;
      case 'o':
      case 'O':
        base = 8;
        break;
      case 'b':
      case 'B':
        base = 2;
        break;
      default:
        break;
    }
    if (base != 10) i += 2;
  }
  // 32-bit arithmetic that wraps, as the Windows conversion does.
  std::uint32_t n = 0;
  for (; i < value.size(); ++i) {
    const char c = value[i];
    unsigned digit = base;
    if (c >= '0' && c <= '9')
      digit = unsigned(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = unsigned(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = unsigned(c - 'A' + 10);
    if (digit >= base) break;
    n = n * base + digit;
  }
  if (negative) n = 0u - n;
  return static_cast<int>(n);
}

}  // namespace vx::profile
