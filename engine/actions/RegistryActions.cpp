#include "engine/actions/Catalogue.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/actions/ValueSource.h"
#include "engine/base/NextField.h"
#include "engine/base/ProductRecord.h"
#include "engine/base/RunJournal.h"
#include "engine/base/RunReport.h"
#include "platform/Profile.h"

namespace vx {

// Code 3: file | section | key | value. Only the value is expanded (as a value source).
void WriteIniValue(std::string arguments) {
  std::string file = NextField(arguments);
  std::string section = NextField(arguments);
  std::string key = NextField(arguments);
  // The value is the whole rest: a value source ("?1:root|key|name") holds "|" itself.
  std::string value = std::move(arguments);
  if (!ResolveValue(value)) return;
  // Without a file, section or key the line cannot name a value; an empty file name would
  // otherwise reach some default file.
  if (file.empty() || section.empty() || key.empty()) return;
  LogStep("ini", file + " [" + section + "] " + key + "=" + value);
  if (!Journal().BeforeIniWrite(file, section, key)) {
    NoteFailure("cannot note " + file + " [" + section + "] " + key +
                " in the installation journal");
    return;
  }
  WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), file);
}

// Code 4: root | subkey | value name | value. An empty value deletes the value, an empty
// value name the whole subkey.
void WriteRegistryValue(std::string arguments) {
  std::string root = NextField(arguments);
  std::string subkey = NextField(arguments);
  std::string name = NextField(arguments);
  // The value is the whole rest: a value source ("?1:root|key|name") holds "|" itself.
  std::string value = std::move(arguments);
  if (!ResolveValue(value)) return;
  HKEY key = RootKeyFromName(root);
  if (key == 0) return;
  // An empty subkey with an empty value name would name the root key itself.
  if (subkey.empty() && name.empty()) return;
  WriteRegistryString(key, subkey, name, value);
}

// Undo 3: file | section | key: removes the key. With the product's installation record the
// key goes back to what it held before the product wrote it, and one the product never
// wrote stays.
void DeleteIniKey(std::string arguments) {
  std::string file = NextField(arguments);
  std::string section = NextField(arguments);
  std::string key = NextField(arguments);
  if (file.empty() || section.empty() || key.empty()) return;
  if (LoadedRecord().Loaded()) {
    if (const RecordEntry* before = LoadedRecord().IniBefore(file, section, key))
      RestoreRecordedValue(*before);
    return;
  }
  WritePrivateProfileString(section.c_str(), key.c_str(), nullptr, file);
}

// Undo 4: root | subkey | value name: removes the value, or the subkey without a name.
void DeleteRegistryValue(std::string arguments) {
  std::string root = NextField(arguments);
  std::string subkey = NextField(arguments);
  std::string name = NextField(arguments);
  HKEY key = RootKeyFromName(root);
  if (key == 0) return;
  if (subkey.empty() && name.empty()) return;
  // As for INI keys: the record says what the value held, or that the product never wrote it.
  if (LoadedRecord().Loaded() && !name.empty()) {
    if (const RecordEntry* before = LoadedRecord().RegistryBefore(key, subkey, name))
      RestoreRecordedValue(*before);
    return;
  }
  WriteRegistryString(key, subkey, name, "");
}

}  // namespace vx
