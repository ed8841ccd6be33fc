// The install script as the settings store of the run, and the other INI files (bootstrap,
// response, locale, files named by action lines). Reads go through a 1024-byte buffer:
// missing strings read "", missing integers the default (0 everywhere in the engine).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Working copy. Every operation does nothing (reads give ""/default) until it is named.
void SetScriptFile(std::string path);
std::string GetScriptFile();
std::string ReadScriptString(std::string_view section, std::string_view key,
                             std::string_view defaultValue = {});
int ReadScriptInt(std::string_view section, std::string_view key, int defaultValue = 0);
// key == nullptr removes the section; value == nullptr removes the key; all null flushes.
void WriteScriptString(const char* section, const char* key, const char* value);
void WriteScriptString(std::string_view section, std::string_view key, std::string_view value);
void WriteScriptInt(std::string_view section, std::string_view key, int value);
// Several keys of one section in one write of the working copy (a list of thousands of
// items is not written line by line).
using ScriptKeys = std::vector<std::pair<std::string, std::string>>;
void WriteScriptStrings(std::string_view section, const ScriptKeys& keys);
// The number N of a list item's key "<prefix>N" (prefix matched without regard to case, N
// written as "%d" writes it); -1 when the key is no item of that list.
int ListItemNumber(std::string_view key, std::string_view prefix);
// The items of a list of the working copy worth reading, in ascending order: every N from
// `first` to `last` whose key "<prefix>N" is present, and the lowest N of that range whose
// key is missing (all missing items read alike, as empty, so the first stands for the
// rest). Walking these gives what walking first..last gives, however large the count a
// script states. Prefix "" for the keys "0", "1" ...
std::vector<int> ScriptListItems(std::string_view section, std::string_view prefix, int first,
                                 int last);

// The same for a list of a named INI file (the bootstrap file when `file` is empty).
std::vector<int> IniListItems(std::string_view section, std::string_view prefix, int first,
                              int last, std::string_view file);

// Named INI files; an empty file means the bootstrap file.
void SetBootstrapFile(std::string path);
std::string GetBootstrapFile();
std::string ReadIniString(std::string_view section, std::string_view key,
                          std::string_view file = {});
int ReadIniInt(std::string_view section, std::string_view key, std::string_view file = {});
void WriteIniString(const char* section, const char* key, const char* value,
                    std::string_view file = {});

// The locale file (section TEXT); "" when there is none.
void SetLocaleFile(std::string path);
std::string GetLocaleFile();

}  // namespace vx
