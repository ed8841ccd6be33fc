// The installation record: what an installation put on the machine and what each value it
// overwrote held before. A run appends one line per entry to its journal before it writes
// anything, so a killed run leaves every line it needs to be undone; a finished run adds its
// lines to the record beside the installed script, which the uninstall reads. A line is one
// letter, then fields separated by tabs, then a newline; a tab, newline, return, NUL or
// backslash inside a field is written as "\t", "\n", "\r", "\0" or "\\". A last line without
// its newline was cut by a kill and is not read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace vx {

enum class RecordKind : char {
  File = 'F',         // path: a file the installation created
  Folder = 'D',       // path: a folder it created
  Saved = 'B',        // path, copy: a file that was there before, and a copy of it (journal only)
  Registry = 'R',     // root, subkey, name, "0"/"1" (existed), type, data: a value before
  RegistryKey = 'K',  // root, subkey: a key it created
  Ini = 'I',          // file, section, key, "0"/"1" (existed), text: an INI value before
  Component = 'C',    // name: a component whose installation began
};

struct RecordEntry {
  RecordKind kind = RecordKind::File;
  std::vector<std::string> fields;
  const std::string& operator[](std::size_t i) const { return fields[i]; }
};

// The number of fields each kind has; 0 for a letter that is no kind.
std::size_t RecordFieldCount(char kind);

// The record's first line.
inline constexpr char kRecordHeader[] = "VXRECORD 1\n";

// Limits a record never reaches in a real installation; a larger one is refused.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{256} << 20;
inline constexpr std::size_t kMaxRecordLine = std::size_t{1} << 20;
inline constexpr std::size_t kMaxRecordEntries = std::size_t{4} << 20;

enum class RecordStatus {
  Ok,
  NoHeader,      // not a record (or an empty file)
  DamagedLines,  // some lines were not entries; the others were read
  TooLarge,      // past a limit above; nothing read
};

struct RecordParse {
  RecordStatus status = RecordStatus::Ok;
  std::vector<RecordEntry> entries;
  std::size_t damagedLines = 0;
  bool cutShort = false;  // the last line had no newline (a killed writer)
};

// Reads a record held in `size` bytes at `data`.
RecordParse ParseRecord(const std::uint8_t* data, std::size_t size);
// One line of an entry, newline included; "" when the entry has the wrong number of fields.
std::string FormatRecordLine(const RecordEntry& entry);
// Reads the line [p, end), its newline left out, into `entry`; false when it is no entry.
bool ParseRecordLine(const char* p, const char* end, RecordEntry& entry);

// The record file beside an installed script, and a run's journal beside its working copy.
std::string InstalledRecordFile(const std::string& script);
std::string JournalFile(const std::string& workingCopy);
// The folder the journal keeps its copies of files a run replaced in.
std::string SavedCopiesFolder(const std::string& workingCopy);

// Reads a record file (at most kMaxRecordBytes); NoHeader when it is missing.
RecordParse ReadRecordFile(const std::string& path);
// Adds `entries` at the end of a record file, made with its header when missing. False when
// a line could not be written whole.
bool AppendRecordFile(const std::string& path, const std::vector<RecordEntry>& entries);

// The same an entry at a time, written in large pieces, for records too long to hold whole.
class RecordAppender {
 public:
  RecordAppender() = default;
  RecordAppender(const RecordAppender&) = delete;
  RecordAppender& operator=(const RecordAppender&) = delete;
  ~RecordAppender();
  bool Open(const std::string& path);
  void Add(const RecordEntry& entry);
  // False when the file could not be opened or a line could not be written whole.
  bool Close();

 private:
  void Flush();

  FileHandle file_ = kInvalidHandle;
  std::string pending_;
  bool ok_ = false;
};

}  // namespace vx
