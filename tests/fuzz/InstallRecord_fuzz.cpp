// Fuzz target for the installation record: any byte string must parse without reading out of
// bounds, and every entry read must format to a line that reads back as the same entry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/base/InstallRecord.h"
#include "tests/fuzz/FuzzRequire.h"

using vx::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vx::RecordParse parse = vx::ParseRecord(data, size);
  Require(parse.entries.size() <= vx::kMaxRecordEntries);
  if (parse.status == vx::RecordStatus::NoHeader || parse.status == vx::RecordStatus::TooLarge)
    Require(parse.entries.empty());
  std::string again = vx::kRecordHeader;
  for (const vx::RecordEntry& e : parse.entries) {
    Require(e.fields.size() == vx::RecordFieldCount(static_cast<char>(e.kind)));
    const std::string line = vx::FormatRecordLine(e);
    Require(!line.empty() && line.back() == '\n');
    again += line;
  }
  const vx::RecordParse back =
      vx::ParseRecord(reinterpret_cast<const std::uint8_t*>(again.data()), again.size());
  Require(back.status == vx::RecordStatus::Ok && !back.cutShort);
  Require(back.entries.size() == parse.entries.size());
  for (std::size_t i = 0; i < back.entries.size(); ++i) {
    Require(back.entries[i].kind == parse.entries[i].kind);
    Require(back.entries[i].fields == parse.entries[i].fields);
  }
  return 0;
}
