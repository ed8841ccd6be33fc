#include "engine/base/InstallRecord.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"

namespace vx {

namespace {

struct KindFields {
  RecordKind kind;
  std::size_t fields;
};
constexpr KindFields kKinds[] = {
    {RecordKind::File, 1},      {RecordKind::Folder, 1},      {RecordKind::Saved, 2},
    {RecordKind::Registry, 6},  {RecordKind::RegistryKey, 2}, {RecordKind::Ini, 5},
    {RecordKind::Component, 1},
};

constexpr std::uint32_t kReadChunk = 1 << 16;

void Escape(const std::string& field, std::string& out) {
  for (char c : field) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\0':
        out += "\\0";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
}

// One escaped field of [p, end); false on a backslash that starts no known escape.
bool Unescape(const char* p, const char* end, std::string& out) {
  out.clear();
  for (; p < end; ++p) {
    if (*p != '\\') {
      out += *p;
      continue;
    }
    if (++p == end) return false;
    switch (*p) {
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case '0':
        out += '\0';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

bool ParseRecordLine(const char* p, const char* end, RecordEntry& entry) {
  if (p == end) return false;
  const std::size_t want = RecordFieldCount(*p);
  if (want == 0) return false;
  entry.kind = static_cast<RecordKind>(*p);
  entry.fields.clear();
  ++p;
  while (p < end) {
    if (*p != '\t' || entry.fields.size() == want) return false;
    ++p;
    const char* tab =
        static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
    const char* fieldEnd = tab ? tab : end;
    entry.fields.emplace_back();
    if (!Unescape(p, fieldEnd, entry.fields.back())) return false;
    p = fieldEnd;
  }
  return entry.fields.size() == want;
}

std::size_t RecordFieldCount(char kind) {
  for (const KindFields& k : kKinds)
    if (static_cast<char>(k.kind) == kind) return k.fields;
  return 0;
}

RecordParse ParseRecord(const std::uint8_t* data, std::size_t size) {
  RecordParse result;
  const std::size_t header = sizeof kRecordHeader - 1;
  if (data == nullptr || size < header || std::memcmp(data, kRecordHeader, header) != 0) {
    result.status = RecordStatus::NoHeader;
    return result;
  }
  if (size > kMaxRecordBytes) {
    result.status = RecordStatus::TooLarge;
    return result;
  }
  const char* p = reinterpret_cast<const char*>(data) + header;
  const char* end = reinterpret_cast<const char*>(data) + size;
  RecordEntry entry;
  while (p < end) {
    const char* newline =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (!newline) {
      result.cutShort = true;
      break;
    }
    const std::size_t length = static_cast<std::size_t>(newline - p);
    if (length > kMaxRecordLine || !ParseRecordLine(p, newline, entry)) {
      // An empty line is what a resumed append leaves after a cut one: nothing lost there.
      if (length != 0) ++result.damagedLines;
    } else if (result.entries.size() == kMaxRecordEntries) {
      result.entries.clear();
      result.status = RecordStatus::TooLarge;
      return result;
    } else {
      result.entries.push_back(entry);
    }
    p = newline + 1;
  }
  if (result.damagedLines != 0) result.status = RecordStatus::DamagedLines;
  return result;
}

std::string FormatRecordLine(const RecordEntry& entry) {
  if (RecordFieldCount(static_cast<char>(entry.kind)) != entry.fields.size()) return "";
  std::string line(1, static_cast<char>(entry.kind));
  for (const std::string& field : entry.fields) {
    line += '\t';
    Escape(field, line);
  }
  line += '\n';
  return line;
}

std::string InstalledRecordFile(const std::string& script) { return script + ".record"; }
std::string JournalFile(const std::string& workingCopy) { return workingCopy + ".journal"; }
std::string SavedCopiesFolder(const std::string& workingCopy) { return workingCopy + ".saved\\"; }

RecordParse ReadRecordFile(const std::string& path) {
  RecordParse none;
  none.status = RecordStatus::NoHeader;
  FileHandle h =
      CreateFile(path, kGenericRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (h == kInvalidHandle) return none;
  const std::int64_t size = GetFileSize(h);
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxRecordBytes) {
    CloseHandle(h);
    none.status = size < 0 ? RecordStatus::NoHeader : RecordStatus::TooLarge;
    return none;
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    std::uint32_t want =
        static_cast<std::uint32_t>(std::min<std::size_t>(kReadChunk, bytes.size() - got));
    std::uint32_t read = 0;
    if (!ReadFile(h, bytes.data() + got, want, &read) || read == 0) break;
    got += read;
  }
  CloseHandle(h);
  bytes.resize(got);
  return ParseRecord(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool AppendRecordFile(const std::string& path, const std::vector<RecordEntry>& entries) {
  RecordAppender out;
  out.Open(path);
  for (const RecordEntry& e : entries) out.Add(e);
  return out.Close();
}

RecordAppender::~RecordAppender() { Close(); }

bool RecordAppender::Open(const std::string& path) {
  Close();
  pending_.clear();
  file_ = CreateFile(path, kGenericRead | kGenericWrite, kShareRead, Disposition::OpenAlways);
  ok_ = file_ != kInvalidHandle;
  if (!ok_) return false;
  const std::int64_t size = GetFileSize(file_);
  if (size <= 0) {
    pending_ = kRecordHeader;
  } else if (SetFilePointer(file_, -1, SeekFrom::End) >= 0) {
    // A line cut by a kill is closed, so the next one starts on its own.
    char last = 0;
    std::uint32_t read = 0;
    if (ReadFile(file_, &last, 1, &read) && read == 1 && last != '\n') pending_ = "\n";
  }
  ok_ = SetFilePointer(file_, 0, SeekFrom::End) >= 0;
  return ok_;
}

void RecordAppender::Add(const RecordEntry& entry) {
  pending_ += FormatRecordLine(entry);
  if (pending_.size() >= kReadChunk) Flush();
}

void RecordAppender::Flush() {
  std::uint32_t written = 0;
  if (ok_ && !pending_.empty())
    ok_ =
        WriteFile(file_, pending_.data(), static_cast<std::uint32_t>(pending_.size()), &written) &&
        written == pending_.size();
  pending_.clear();
}

bool RecordAppender::Close() {
  if (file_ == kInvalidHandle) return false;
  Flush();
  ok_ = CloseHandle(file_) && ok_;
  file_ = kInvalidHandle;
  return ok_;
}

}  // namespace vx
