// What vxpack needs from an install script: the pre-required files of [{Temp}], the
// components of the installed-type list with their file lines, the destinations and the
// user variables. Values are read as the engine reads them (through a 1024-byte buffer).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileParse.h"

namespace vx::pack {

// An INI text that can be read and changed key by key. Changes are gathered and applied in
// one pass when the text is next read, so that filling thousands of keys parses it once.
class ScriptText {
 public:
  explicit ScriptText(std::string text);
  const std::string& Text() const { return Doc().Text(); }
  std::string String(std::string_view section, std::string_view key) const;  // "" if missing
  int Int(std::string_view section, std::string_view key) const;             // 0 if missing
  bool Has(std::string_view section, std::string_view key) const;
  // Key lines of the section: no list in it can have more items than that.
  std::size_t KeyCount(std::string_view section) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Change {
    std::string section, key, value;
  };
  const profile::Document& Doc() const;

  mutable std::unique_ptr<profile::Document> doc_;
  mutable std::vector<Change> pending_;
};

// Where a line of the script stands, for messages: "[<section>] <key>".
struct ScriptPlace {
  std::string section;
  std::string key;
  std::string Describe() const { return "[" + section + "] " + key; }
};

// One file that goes into the package: one record.
struct PackFile {
  std::int32_t component = 0;  // index in the list, or -1 / -2 for [{Temp}]
  std::int32_t item = 0;       // key number of the line
  std::string name;            // field 1
  std::string destination;     // field 2, as written
  std::string sourceFolder;    // field 3 (for a name-only [{Temp}] entry: "$Temp")
  bool shared = false;         // field 4 is "1"
  ScriptPlace place;
  std::string hostPath;  // filled in once the file is found
  std::uint64_t size = 0;
};

struct PackComponent {
  std::int32_t index = 0;
  std::string section;
  std::vector<PackFile> files;  // in item order; action lines have none
};

struct PackScript {
  std::string projectName;
  std::string listSection;  // the installed-type list the indexes refer to
  std::vector<PackFile> tempFiles;
  std::vector<PackComponent> components;
  int destinations = 0;                                        // nItems of [<Destinations>]
  std::vector<std::pair<std::string, std::string>> variables;  // [<VariableList>]
  std::string defLocale;
};

inline constexpr char kTempSourceFolder[] = "$Temp";

// Reads the model. `fallbackProject` is used when [<General>] has no ProjectName. False,
// with a message naming the line, for a line that cannot be packed (an empty file line, a
// component listed twice).
bool ReadPackScript(const ScriptText& script, const std::string& fallbackProject, PackScript& out,
                    std::string& error);

}  // namespace vx::pack
