#include "tools/vxpack/Reporter.h"

#include <unistd.h>

namespace vx::pack {

Reporter::Reporter(std::FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void Reporter::Write(const std::string& text) {
  if (holding_) {
    held_ += text;
    return;
  }
  std::fputs(text.c_str(), out_);
  std::fflush(out_);
}

void Reporter::Note(const std::string& text) {
  EndProgress();
  Write("vxpack: " + text + "\n");
}

void Reporter::Error(const std::string& text) {
  EndProgress();
  Write("vxpack: error: " + text + "\n");
}

void Reporter::Warning(const std::string& where, const std::string& text) {
  EndProgress();
  Write(where + ": warning: " + text + "\n");
}

void Reporter::Hold() { holding_ = true; }

void Reporter::Release() {
  holding_ = false;
  if (!held_.empty()) Write(held_);
  held_.clear();
}

void Reporter::Discard() {
  holding_ = false;
  held_.clear();
}

void Reporter::Progress(std::uint64_t done, std::uint64_t total) {
  int percent = total == 0 ? 100 : int(done * 100 / total);
  char line[32];
  if (terminal_) {
    if (percent == shown_) return;
    std::snprintf(line, sizeof line, "\rvxpack: packing %3d%%", percent);
    lineOpen_ = true;
  } else {
    if (shown_ >= 0 && percent / 10 == shown_ / 10) return;
    std::snprintf(line, sizeof line, "vxpack: packing %3d%%\n", percent);
  }
  shown_ = percent;
  Write(line);
}

void Reporter::EndProgress() {
  if (lineOpen_) Write("\n");
  lineOpen_ = false;
  shown_ = -1;
}

}  // namespace vx::pack
