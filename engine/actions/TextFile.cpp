#include "engine/actions/TextFile.h"

#include <algorithm>
#include <vector>

#include "platform/Files.h"

namespace vx {

namespace {

constexpr std::size_t kReadAhead = 4096;
// An edit keeps the bytes behind the edited line in memory; a tail beyond this is refused
// rather than edited without a way back.
constexpr std::int64_t kMaxGuardedTail = 256LL * 1024 * 1024;

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

}  // namespace

TextFile::TextFile(std::string path, bool createIfMissing) : path_(std::move(path)) {
  handle_ = CreateFile(path_, kGenericRead | kGenericWrite, kShareRead | kShareWrite,
                       createIfMissing ? Disposition::OpenAlways : Disposition::OpenExisting);
}

TextFile::~TextFile() {
  if (handle_ != kInvalidHandle) CloseHandle(handle_);
}

std::int64_t TextFile::Size() const { return IsOpen() ? GetFileSize(handle_) : -1; }

bool TextFile::ReadAt(std::int64_t offset, void* data, std::size_t size) {
  if (SetFilePointer(handle_, offset, SeekFrom::Begin) != offset) return false;
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    std::uint32_t got = 0;
    if (!ReadFile(handle_, p, static_cast<std::uint32_t>(size), &got) || got == 0) return false;
    p += got;
    size -= got;
  }
  return true;
}

bool TextFile::WriteAt(std::int64_t offset, const void* data, std::size_t size) {
  buffer_.clear();
  if (SetFilePointer(handle_, offset, SeekFrom::Begin) != offset) return false;
  if (size == 0) return true;
  std::uint32_t written = 0;
  return WriteFile(handle_, data, static_cast<std::uint32_t>(size), &written) && written == size;
}

bool TextFile::ReadByte(unsigned char* c) {
  std::int64_t end = bufferStart_ + static_cast<std::int64_t>(buffer_.size());
  if (position_ < bufferStart_ || position_ >= end) {
    buffer_.assign(kReadAhead, '\0');
    bufferStart_ = position_;
    if (SetFilePointer(handle_, position_, SeekFrom::Begin) != position_) {
      buffer_.clear();
      return false;
    }
    std::uint32_t got = 0;
    if (!ReadFile(handle_, buffer_.data(), kReadAhead, &got)) got = 0;
    buffer_.resize(got);
    if (got == 0) return false;
  }
  *c = static_cast<unsigned char>(buffer_[static_cast<std::size_t>(position_ - bufferStart_)]);
  ++position_;
  return true;
}

bool TextFile::ReadLine(std::string& text) {
  text.clear();
  if (!IsOpen()) return false;
  std::int64_t start = position_;
  std::string line;
  unsigned char c;
  while (ReadByte(&c)) {
    if (c != '\r') {
      line.push_back(static_cast<char>(c));
      continue;
    }
    unsigned char next;
    if (!ReadByte(&next)) break;
    if (next == '\n') {
      text = std::move(line);
      return true;
    }
    line.push_back(static_cast<char>(next));
  }
  // The unterminated rest is no line; the position stays at its start.
  position_ = start;
  return false;
}

template <class Match>
int TextFile::Find(const std::string& text, std::string& line, Match match) {
  if (!IsOpen()) return -1;
  const std::string wanted = Upper(text);
  position_ = 0;
  std::string current;
  for (int index = 0;; ++index) {
    std::int64_t start = position_;
    if (!ReadLine(current)) return -1;
    if (match(Upper(current), wanted)) {
      currentLine_ = index;
      currentStart_ = start;
      currentBytes_ = position_ - start;
      position_ = start;
      line = current;
      return index;
    }
  }
}

int TextFile::FindStartingWith(const std::string& text, std::string& line) {
  return Find(text, line,
              [](const std::string& l, const std::string& t) { return l.starts_with(t); });
}

int TextFile::FindContaining(const std::string& text, std::string& line) {
  return Find(text, line, [](const std::string& l, const std::string& t) {
    return l.find(t) != std::string::npos;
  });
}

int TextFile::FindEndingWith(const std::string& text, std::string& line) {
  return Find(text, line,
              [](const std::string& l, const std::string& t) { return l.ends_with(t); });
}

int TextFile::FindEqualTo(const std::string& text, std::string& line) {
  return Find(text, line, [](const std::string& l, const std::string& t) { return l == t; });
}

bool TextFile::ShiftTail(std::int64_t delta) {
  if (!IsOpen()) return false;
  if (delta == 0) return true;
  const std::int64_t pos = position_;
  const std::int64_t length = GetFileSize(handle_);
  if (length < 0 || pos > length || pos + delta < 0) return false;
  std::vector<char> chunk(kShiftBuffer);
  bool ok = true;
  if (delta > 0) {
    // Towards the end: from the back, so no byte is overwritten before it has moved.
    std::int64_t end = length;
    while (ok && end > pos) {
      std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kShiftBuffer, end - pos));
      std::int64_t from = end - static_cast<std::int64_t>(n);
      ok = ReadAt(from, chunk.data(), n) && WriteAt(from + delta, chunk.data(), n) &&
           FlushFileBuffers(handle_);
      end = from;
    }
  } else {
    std::int64_t from = pos;
    while (ok && from < length) {
      std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kShiftBuffer, length - from));
      ok = ReadAt(from, chunk.data(), n) && WriteAt(from + delta, chunk.data(), n) &&
           FlushFileBuffers(handle_);
      from += static_cast<std::int64_t>(n);
    }
    ok = ok && SetFilePointer(handle_, length + delta, SeekFrom::Begin) == length + delta &&
         SetEndOfFile(handle_);
  }
  buffer_.clear();
  position_ = pos;
  return ok;
}

template <class Edit>
bool TextFile::Guarded(std::int64_t from, Edit edit) {
  const std::int64_t length = GetFileSize(handle_);
  if (length < 0 || from > length || length - from > kMaxGuardedTail) return false;
  std::string saved(static_cast<std::size_t>(length - from), '\0');
  if (!saved.empty() && !ReadAt(from, saved.data(), saved.size())) return false;
  const std::int64_t position = position_;
  if (edit()) return true;
  // Put the old bytes and the old length back.
  WriteAt(from, saved.data(), saved.size());
  if (SetFilePointer(handle_, length, SeekFrom::Begin) == length) SetEndOfFile(handle_);
  FlushFileBuffers(handle_);
  buffer_.clear();
  position_ = position;
  return false;
}

bool TextFile::InsertLine(int index, const std::string& text) {
  if (!IsOpen() || index < -1) return false;
  currentLine_ = -1;  // offsets of an earlier search no longer hold
  if (index == -1) {
    std::int64_t end = GetFileSize(handle_);
    if (end < 0) return false;
    std::string data = "\r\n" + text;
    return Guarded(
        end, [&] { return WriteAt(end, data.data(), data.size()) && FlushFileBuffers(handle_); });
  }
  position_ = 0;
  std::string skipped;
  for (int i = 0; i < index; ++i) {
    if (!ReadLine(skipped)) break;
  }
  const std::int64_t at = position_;
  const std::string data = text + "\r\n";
  return Guarded(at, [&] {
    position_ = at;
    return ShiftTail(static_cast<std::int64_t>(data.size())) &&
           WriteAt(at, data.data(), data.size()) && FlushFileBuffers(handle_);
  });
}

bool TextFile::AppendLine(const std::string& text) {
  if (!IsOpen()) return false;
  currentLine_ = -1;
  std::int64_t end = GetFileSize(handle_);
  if (end < 0) return false;
  char last[2] = {0, 0};
  bool lineEnded =
      end == 0 || (end >= 2 && ReadAt(end - 2, last, 2) && last[0] == '\r' && last[1] == '\n');
  std::string data = (lineEnded ? "" : "\r\n") + text + "\r\n";
  return Guarded(
      end, [&] { return WriteAt(end, data.data(), data.size()) && FlushFileBuffers(handle_); });
}

bool TextFile::ReplaceCurrentLine(const std::string& text) {
  if (!IsOpen() || currentLine_ < 0) return false;
  const std::string data = text.empty() ? std::string() : text + "\r\n";
  const std::int64_t start = currentStart_;
  const std::int64_t oldBytes = currentBytes_;
  bool ok = Guarded(start, [&] {
    position_ = start + oldBytes;
    return ShiftTail(static_cast<std::int64_t>(data.size()) - oldBytes) &&
           WriteAt(start, data.data(), data.size()) && FlushFileBuffers(handle_);
  });
  position_ = start;
  if (ok) {
    if (data.empty()) {
      currentLine_ = -1;
    } else {
      currentBytes_ = static_cast<std::int64_t>(data.size());
    }
  }
  return ok;
}

}  // namespace vx
