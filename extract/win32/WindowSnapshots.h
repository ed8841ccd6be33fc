// $VX_SNAPSHOTS for the extractor's windows: each picture is saved as "NNNN-kind.png", the
// number going on from the pictures already in the folder, so that the extractor's and the
// installer's pictures of one run stay in order.
#pragma once
#include <string>

#include "platform/WindowPicture.h"

namespace vx::extract {

class WindowSnapshots {
 public:
  // `folder` "" takes no pictures; it is made when missing.
  explicit WindowSnapshots(std::string folder);
  bool Enabled() const { return !folder_.empty(); }
  // `window`: the native window handle; `part`: the whole window for our own dialog, the
  // client area for the system's message boxes (whose caption bar may be the window
  // manager's under Wine).
  void Take(void* window, const std::string& kind, WindowPart part);

 private:
  int NextOrder() const;
  std::string folder_;  // ends with a backslash
};

}  // namespace vx::extract
