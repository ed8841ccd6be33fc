// Scripted runs through the real windows, and pictures of them.
//
// With $VX_ANSWERS set every dialog, once shown, takes the next answer of that file
// (engine/ui/AnswerCheck.h reads it and decides what each answer means, for every UI alike)
// by clicking its real button, typing into its real field or selecting in its real list; an
// empty line or the end of the file takes the dialog's default, an answer that does not fit is
// refused and the run cancelled. Either way each dialog prints one line
// "caption | text | answer" on standard error, as headless runs do.
//
// With $VX_SNAPSHOTS=DIR each window is saved there as a PNG when it is shown and after its
// content changed, named as engine/ui/SnapshotName.h says. A window over the main window is
// pictured where it is, on the main window.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ui/AnswerSession.h"
#include "engine/ui/win32/Win32Api.h"

namespace vx::win32 {

class Automation : public AnswerSession {
 public:
  static Automation FromEnvironment();
  Automation() = default;
  // Scripted with `answers` (when `scripted`), pictures into `snapshotDir` ("" for none).
  Automation(bool scripted, std::vector<std::string> answers, std::string snapshotDir);
  Automation(Automation&& other) noexcept;
  Automation& operator=(Automation&& other) noexcept;

  // Saves `window` now / once the messages queued now are handled (repeated changes in one go
  // make one picture).
  void Snapshot(HWND window, const std::string& kind);
  void SnapshotSoon(HWND window, const std::string& kind);
  bool Snapshots() const { return !snapshotDir_.empty(); }

 private:
  static void CALLBACK SoonTimer(HWND window, UINT, UINT_PTR id, DWORD);
  int NextOrder();

  mutable std::mutex mutex_;
  std::string snapshotDir_;
  int order_ = 0;
  std::map<HWND, std::string> pending_;
};

}  // namespace vx::win32
