// Scripted runs through real windows, and pictures of them.
//
// With $VX_ANSWERS set every dialog, once shown, takes the next answer of that file
// (engine/ui/AnswerCheck.h reads it and decides what each answer means, for every UI alike)
// by pressing its real button or filling its real field; an empty line or the end of the file
// presses the dialog's default, an answer that does not fit is refused and the run cancelled.
// Without $VX_ANSWERS the user answers. Either way each dialog prints one line
// "caption | text | answer" on standard error, as headless runs do.
//
// With $VX_SNAPSHOTS=DIR each window is saved there as a PNG when it is shown and after its
// content changed ("0007-message-Demo_Setup.png": order, kind, title).
#pragma once
#include <QPointer>
#include <QWidget>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/ui/AnswerSession.h"

namespace vx::qt {

class Automation : public AnswerSession {
 public:
  // From $VX_ANSWERS and $VX_SNAPSHOTS.
  static Automation FromEnvironment();
  Automation() = default;
  Automation(bool scripted, std::vector<std::string> answers, std::string snapshotDir);
  Automation(Automation&& other) noexcept;
  Automation& operator=(Automation&& other) noexcept;

  // Saves `window` now / once the current events are handled (repeated changes in one go
  // make one picture).
  void Snapshot(QWidget* window, const std::string& kind);
  void SnapshotSoon(QWidget* window, const std::string& kind);
  bool Snapshots() const { return !snapshotDir_.empty(); }
  int SnapshotsTaken() const { return order_; }

 private:
  mutable std::mutex mutex_;
  std::string snapshotDir_;
  int order_ = 0;
  std::set<QWidget*> pending_;
};

}  // namespace vx::qt
