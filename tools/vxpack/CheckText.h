// An INI text read the way the engine's store reads it (the same parser), with the line of
// every section and key for the diagnostics that name them.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileParse.h"
#include "tools/vxpack/Diagnostics.h"

namespace vx::pack {

class CheckText {
 public:
  CheckText(std::string file, const std::string& text, Diagnostics& out);

  const std::string& File() const { return file_; }
  const profile::Document& Doc() const { return *doc_; }
  const profile::Section* Section(std::string_view name) const { return doc_->FindSection(name); }
  const profile::KeyLine* Key(std::string_view section, std::string_view key) const {
    return doc_->FindKey(section, key);
  }
  // A value as the engine reads it: cut to its first 1023 characters, "" when missing.
  std::string Value(std::string_view section, std::string_view key) const;
  // A value read as an integer; 0 when missing.
  int Int(std::string_view section, std::string_view key) const;

  int LineOf(const profile::KeyLine& key) const { return LineAt(key.begin); }
  int LineOf(const profile::Section& section) const { return LineAt(section.begin); }
  // The line of the key; of its section when the key is missing; else 1.
  int LineNear(std::string_view section, std::string_view key) const;

  void Error(int line, std::string text) {
    out_.Add(file_, line, Severity::Error, std::move(text));
  }
  void Warning(int line, std::string text) {
    out_.Add(file_, line, Severity::Warning, std::move(text));
  }

 private:
  int LineAt(std::size_t offset) const;

  std::string file_;
  std::unique_ptr<profile::Document> doc_;
  std::vector<std::size_t> lineStarts_;
  Diagnostics& out_;
};

// "[section]" as the script writes it.
inline std::string Bracketed(std::string_view section) {
  std::string s = "[";
  return s.append(section).append("]");
}

}  // namespace vx::pack
