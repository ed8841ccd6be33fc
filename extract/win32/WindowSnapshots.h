// $VX_SNAPSHOTS for the extractor's windows: each picture is saved as "NNNN-kind.png", the
// number going on from the pictures already in the folder, so that the extractor's and the
// installer's pictures of one run stay in order.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace vx::extract {

class WindowSnapshots {
 public:
  // `folder` "" takes no pictures; it is made when missing.
  explicit WindowSnapshots(std::string folder);
  bool Enabled() const { return !folder_.empty(); }
  void Take(HWND window, const std::string& kind);

 private:
  int NextOrder() const;
  std::string folder_;  // ends with a backslash
};

}  // namespace vx::extract
