// Fuzz target for the profile-text parser and its edits: any byte string must parse without
// reading out of bounds, and every edit must give a text in which the change reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileParse.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

using vx::profile::Document;

using vx::fuzz::Require;

bool Inside(std::string_view part, const std::string& text) {
  if (part.empty()) return true;
  const char* b = text.data();
  return part.data() >= b && part.data() + part.size() <= b + text.size();
}

void CheckLayout(const Document& doc) {
  const std::string& text = doc.Text();
  std::size_t previousEnd = 0;
  for (const auto& s : doc.Sections()) {
    Require(s.begin >= previousEnd && s.begin <= s.end && s.end <= text.size());
    Require(s.appendAt > s.begin && s.appendAt <= s.end);
    Require(Inside(s.name, text));
    previousEnd = s.end;
    std::size_t lineEnd = s.begin;
    for (const auto& k : s.keys) {
      Require(k.begin >= lineEnd && k.begin <= k.contentEnd && k.contentEnd <= k.end);
      Require(k.end <= s.end);
      Require(Inside(k.name, text) && Inside(k.value, text));
      lineEnd = k.end;
    }
  }
}

void CheckSet(const Document& doc, std::string_view section, std::string_view key) {
  if (!vx::profile::IsValidSectionName(section) || !vx::profile::IsValidKeyName(key)) return;
  const std::string edited = vx::profile::SetValue(doc, section, key, "fuzz value");
  Document after(edited.data(), edited.size());
  CheckLayout(after);
  const auto* k = after.FindKey(section, key);
  Require(k != nullptr && k->value == "fuzz value");

  // A delete takes only the line that reads; a key written again in another case stays
  // until it is deleted too, one line a delete.
  std::string removed = vx::profile::RemoveKey(after, section, key);
  for (std::size_t left = edited.size(); left > 0; --left) {
    Document without(removed.data(), removed.size());
    if (without.FindKey(section, key) == nullptr) break;
    removed = vx::profile::RemoveKey(without, section, key);
  }
  Document without(removed.data(), removed.size());
  Require(without.FindKey(section, key) == nullptr);

  const std::string noSection = vx::profile::RemoveSection(after, section);
  Document gone(noSection.data(), noSection.size());
  Require(gone.FindSection(section) == nullptr);
}

// One pass of several changes must leave the text that the changes one by one leave.
void CheckBatch(const Document& doc) {
  std::vector<vx::profile::Assignment> changes;
  static const std::string numbered[] = {"K1", "K2", "K3", "K4", "K5", "K6", "K7", "K8"};
  std::size_t n = 0;
  for (const auto& s : doc.Sections()) {
    if (++n > 8 || !vx::profile::IsValidSectionName(s.name)) continue;
    changes.push_back({s.name, "Added", "one"});
    if (!s.keys.empty() && vx::profile::IsValidKeyName(s.keys.back().name))
      changes.push_back({s.name, s.keys.back().name, "two"});
    changes.push_back({"New Section", numbered[n - 1], "three"});
    changes.push_back({s.name, "ADDED", "four"});
  }
  changes.push_back({"new section", "Last", ""});
  std::string oneByOne = doc.Text();
  for (const auto& c : changes) {
    const Document step(oneByOne.data(), oneByOne.size());
    oneByOne = vx::profile::SetValue(step, c.section, c.key, c.value);
  }
  Require(vx::profile::SetValues(doc, changes) == oneByOne);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Document doc(reinterpret_cast<const char*>(data), size);
  CheckLayout(doc);
  for (const auto& name : doc.SectionNames()) doc.KeyNames(name);

  CheckSet(doc, "Fuzz Section", "Key");
  CheckBatch(doc);
  if (!doc.Sections().empty()) {
    const auto& first = doc.Sections().front();
    CheckSet(doc, first.name, "NewKey");
    if (!first.keys.empty()) CheckSet(doc, first.name, first.keys.front().name);
  }
  for (const auto& s : doc.Sections()) {
    for (const auto& k : s.keys) vx::profile::ParseInt(k.value);
  }
  return 0;
}
