// $VX_SNAPSHOTS for the extractor's windows: each picture is saved as "NNNN-kind.png", the
// number going on from the pictures already in the folder, so that the extractor's and the
// installer's pictures of one run stay in order.
#pragma once
#include <string>

namespace vx::extract {

class WindowSnapshots {
 public:
  // `folder` "" takes no pictures; it is made when missing.
  explicit WindowSnapshots(std::string folder);
  bool Enabled() const { return !folder_.empty(); }
  // What a picture shows: the whole window (our own dialog), or its client area (the system's
  // message boxes, whose caption bar is left to the window manager under Wine).
  enum class Source { Window, Client };
  // `window`: the native window handle.
  void Take(void* window, const std::string& kind, Source source);

 private:
  int NextOrder() const;
  std::string folder_;  // ends with a backslash
};

}  // namespace vx::extract
