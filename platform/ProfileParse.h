// Pure parsing and editing of profile (INI) text. No file access: the file layer hands in the
// bytes and writes back the edited text.
//
// Grammar, as the Windows service reads it:
//   - lines end with CR LF, LF or a lone CR; a UTF-8 byte-order mark at the very start is skipped;
//   - a line whose first non-blank character is "[" and that holds a "]" starts a section; the
//     name is the text up to the last "]", without surrounding blanks;
//   - a line with "=" is a key: the name is the text before the first "=", the value the text
//     after it, both without surrounding blanks (space, tab); a value enclosed in a pair of
//     double or of single quotes loses that pair; keys before the first section belong to a
//     section of the empty name that no list shows;
//   - a line starting with ";" is a comment: read when asked for by its whole name (";x"),
//     never listed; lines without "=" are not keys;
//   - names match without regard to ASCII case; the first section of a name counts, and in it the
//     first key of a name.
// Edits change only the lines they concern and leave every other byte as it was; the lines they
// write end with CR LF and carry no blanks around "=".
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx::profile {

struct NoCaseHash {
  // Not noexcept on purpose: the standard containers then keep each node's hash instead of
  // recomputing it over the name while walking a bucket.
  std::size_t operator()(std::string_view s) const;
};
struct NoCaseEqual {
  bool operator()(std::string_view a, std::string_view b) const noexcept;
};

// Offsets are 32 bits wide (a profile holds at most kMaxText bytes): scripts of a hundred
// thousand lines keep one of these per line.
struct KeyLine {
  std::string_view name;
  std::string_view value;        // trimmed and unquoted
  std::uint32_t begin = 0;       // first byte of the line
  std::uint32_t contentEnd = 0;  // end of the line's text, before its line break
  std::uint32_t end = 0;         // after its line break
  bool comment = false;          // a ";" line
};

struct Section {
  std::string_view name;
  std::size_t begin = 0;          // first byte of the header line
  std::size_t end = 0;            // first byte of the next header line, or the end of the text
  std::size_t appendAt = 0;       // after the last non-blank line of the section (header included)
  bool appendNeedsBreak = false;  // that line is the last of the text and has no line break
  std::span<const KeyLine> keys;  // every key line, in file order
  std::uint32_t ordinal = 0;      // place among the document's section lines
  bool implicit = false;          // the keys before the first section line
};

// A parsed profile text. The names and values are views into the document's own copy of the
// text, so a document is neither copied nor moved once built. Scripts of many thousand
// sections are parsed again after every write, so the whole document lives in a few flat
// arrays: the key lines of all sections in one, and one open-addressed index for the
// sections and one for the keys.
class Document {
 public:
  // Longer texts are taken as empty (the file layer reads none that large).
  static constexpr std::size_t kMaxText = std::size_t{1} << 31;

  Document(const char* data, std::size_t size);
  // Takes the text over without copying it. A text over kMaxText is parsed as empty.
  explicit Document(std::string&& text);
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  const std::string& Text() const { return text_; }
  // Every section line, duplicates included, in file order.
  const std::vector<Section>& Sections() const { return sections_; }

  // The first section of the name; null when there is none.
  const Section* FindSection(std::string_view name) const;
  // The first key of the name in the first section of the name; null when missing.
  const KeyLine* FindKey(std::string_view section, std::string_view key) const;

  // Distinct names (the first spelling of each), in file order.
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The first key line of every name in a section of this document, in file order.
  std::vector<const KeyLine*> FirstKeys(const Section& s) const;

 private:
  // Slot tables hold an index + 1, 0 when free; their size is a power of two.
  const KeyLine* FindKeyIn(const Section& s, std::string_view key) const;
  void BuildIndexes();

  std::string text_;
  std::vector<Section> sections_;
  std::vector<KeyLine> keys_;
  std::vector<std::uint32_t> sectionSlots_;
  std::vector<std::uint32_t> keySlots_;
};

// Names that can stand in a file line and be read back as the same name.
bool IsValidSectionName(std::string_view name);
bool IsValidKeyName(std::string_view name);
// A value is kept to its first line: a line break in it would split the key.
std::string_view FirstLine(std::string_view value);

// The text with one change. Names and value must be valid (see above); names are trimmed.
// SetValue replaces the first key in place (keeping the file's spelling of its name), or adds
// the key after the last non-blank line of the section, or adds the section at the end.
std::string SetValue(const Document& doc, std::string_view section, std::string_view key,
                     std::string_view value);
// The text with several keys set, as SetValue one after the other would leave it, in one
// pass over the text.
struct Assignment {
  std::string_view section, key, value;
};
std::string SetValues(const Document& doc, std::span<const Assignment> changes);
// Removes the line of the key that reads (the first of its name in the first section of the
// name): a later line of the name then reads, as on Windows. The text unchanged when none.
std::string RemoveKey(const Document& doc, std::string_view section, std::string_view key);
// Removes every section of the name with its header and lines.
std::string RemoveSection(const Document& doc, std::string_view section);

// The leading integer of a value as Windows converts it: blanks, an optional sign, then
// decimal digits or "0x" hex, "0o" octal, "0b" binary ones, in 32-bit arithmetic that wraps;
// 0 when the text holds no digits there.
int ParseInt(std::string_view value);

}  // namespace vx::profile
