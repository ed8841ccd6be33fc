#include "tools/vxpack/Reporter.h"

#include <unistd.h>

namespace vx::pack {

Reporter::Reporter(std::FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void Reporter::Note(const std::string& text) {
  EndProgress();
  std::fprintf(out_, "vxpack: %s\n", text.c_str());
  std::fflush(out_);
}

void Reporter::Error(const std::string& text) {
  EndProgress();
  std::fprintf(out_, "vxpack: error: %s\n", text.c_str());
  std::fflush(out_);
}

void Reporter::Warning(const std::string& where, const std::string& text) {
  EndProgress();
  std::fprintf(out_, "%s: warning: %s\n", where.c_str(), text.c_str());
  std::fflush(out_);
}

void Reporter::Progress(std::uint64_t done, std::uint64_t total) {
  int percent = total == 0 ? 100 : int(done * 100 / total);
  if (terminal_) {
    if (percent == shown_) return;
    std::fprintf(out_, "\rvxpack: packing %3d%%", percent);
    lineOpen_ = true;
  } else {
    if (shown_ >= 0 && percent / 10 == shown_ / 10) return;
    std::fprintf(out_, "vxpack: packing %3d%%\n", percent);
  }
  shown_ = percent;
  std::fflush(out_);
}

void Reporter::EndProgress() {
  if (lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
  shown_ = -1;
}

}  // namespace vx::pack
