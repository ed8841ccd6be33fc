// What vxpack tells its user, on standard error: notes, a progress line while the package
// is written (redrawn in place on a terminal, every tenth otherwise) and errors.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace vx::pack {

class Reporter {
 public:
  explicit Reporter(std::FILE* out);
  void Note(const std::string& text);
  void Error(const std::string& text);
  // "WHERE: warning: text", WHERE being "FILE:LINE" or a file.
  void Warning(const std::string& where, const std::string& text);
  void Progress(std::uint64_t done, std::uint64_t total);
  void EndProgress();
  // Messages of work running beside other work that reports first are held until Release,
  // and dropped with Discard, so that the output reads as if one ran after the other.
  void Hold();
  void Release();
  void Discard();

 private:
  void Write(const std::string& text);

  std::FILE* out_;
  bool holding_ = false;
  std::string held_;
  bool terminal_;
  int shown_ = -1;
  bool lineOpen_ = false;
};

}  // namespace vx::pack
