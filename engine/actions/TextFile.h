// A line-oriented text file edited in place: lines end with CR LF, only the bytes behind an
// edited line are moved. Every edit keeps a copy of the bytes it will touch and puts them
// back when a write fails half-way, so a failed edit leaves the file as it was.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace vx {

class TextFile {
 public:
  // Opens the file for reading and writing, shared for both; creates it empty when it does
  // not exist and `createIfMissing` is set. A file that cannot be opened does nothing.
  explicit TextFile(std::string path, bool createIfMissing = true);
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  bool IsOpen() const { return handle_ != kInvalidHandle; }

  // The next line from the current position, without its CR LF. A CR not followed by LF is
  // dropped and the byte after it kept; a last line without CR LF is not returned (false).
  bool ReadLine(std::string& text);

  // The index of the first line (from 0) that starts with / contains / ends with `text`,
  // compared without regard to case, or -1. A match becomes the current line; `line` gets
  // it as stored and the position is put back to its start.
  int FindStartingWith(const std::string& text, std::string& line);
  int FindContaining(const std::string& text, std::string& line);
  int FindEndingWith(const std::string& text, std::string& line);
  // The first line equal to `text` (case-insensitive).
  int FindEqualTo(const std::string& text, std::string& line);

  // -1 appends CR LF + text at the end; 0 puts text + CR LF before the first line; n > 0
  // puts text + CR LF at the start of line n (after n lines, or at the end of the complete
  // lines when there are fewer). Indexes below -1 do nothing. False when nothing was written.
  bool InsertLine(int index, const std::string& text);

  // Appends text as a complete line, text + CR LF, after a CR LF of its own when the file
  // does not end with one. False when nothing was written.
  bool AppendLine(const std::string& text);

  // Replaces the current line (of the last search) with text + CR LF; an empty text removes
  // the line with its line end. False without a current line or when the write failed.
  bool ReplaceCurrentLine(const std::string& text);

  // Moves the bytes from the current position to the end by `delta` through a 10240-byte
  // buffer (cutting the file when delta < 0); the position is kept. No rollback of its own.
  bool ShiftTail(std::int64_t delta);

  void Rewind() { position_ = 0; }
  std::int64_t Position() const { return position_; }
  void SetPosition(std::int64_t position) { position_ = position; }
  std::int64_t Size() const;

  static constexpr std::size_t kShiftBuffer = 10240;

 private:
  template <class Match>
  int Find(const std::string& text, std::string& line, Match match);
  bool ReadByte(unsigned char* c);
  bool ReadAt(std::int64_t offset, void* data, std::size_t size);
  bool WriteAt(std::int64_t offset, const void* data, std::size_t size);
  // Runs `edit`; when it fails, the bytes from `from` to the old end and the old length
  // are put back.
  template <class Edit>
  bool Guarded(std::int64_t from, Edit edit);

  std::string path_;
  FileHandle handle_ = kInvalidHandle;
  std::int64_t position_ = 0;
  int currentLine_ = -1;
  std::int64_t currentStart_ = 0;
  std::int64_t currentBytes_ = 0;  // the current line's bytes, line end included

  // Read-ahead of ReadLine, dropped by every write.
  std::string buffer_;
  std::int64_t bufferStart_ = 0;
};

}  // namespace vx
