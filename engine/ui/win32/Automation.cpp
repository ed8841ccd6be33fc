#include "engine/ui/win32/Automation.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/ui/SnapshotName.h"
#include "platform/WindowPicture.h"

namespace vx::win32 {

namespace {

constexpr UINT_PTR kSoonTimer = 0x5601;
Automation* gSoonOwner = nullptr;  // the one interface's automation, for the timer

// The window to picture for `window`: the visible main window it belongs to, which shows it
// on top, or the window itself.
HWND PictureWindow(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && GetWindow(owner, GW_OWNER) == nullptr) {
    RECT a, b;
    GetWindowRect(owner, &a);
    GetWindowRect(window, &b);
    // Only when the owner is big enough to hold it (the main window, not a small dialog).
    if (b.left >= a.left && b.top >= a.top && b.right <= a.right && b.bottom <= a.bottom)
      return owner;
  }
  return window;
}

}  // namespace

Automation::Automation(bool scripted, std::vector<std::string> answers, std::string snapshotDir)
    : AnswerSession(scripted, std::move(answers)), snapshotDir_(std::move(snapshotDir)) {}

Automation::Automation(Automation&& other) noexcept { *this = std::move(other); }

Automation& Automation::operator=(Automation&& other) noexcept {
  if (this == &other) return *this;
  static_cast<AnswerSession&>(*this) = static_cast<AnswerSession&&>(other);
  std::scoped_lock lock(mutex_, other.mutex_);
  snapshotDir_ = std::move(other.snapshotDir_);
  order_ = other.order_;
  return *this;
}

Automation Automation::FromEnvironment() {
  Automation automation;
  automation.SetAnswers(AnswerQueue::FromEnvironment());
  const char* snapshots = std::getenv("VX_SNAPSHOTS");
  if (snapshots && *snapshots) {
    std::wstring dir = Wide(snapshots);
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(dir.c_str(), MAX_PATH, full, nullptr);
    int made = n > 0 && n < MAX_PATH ? SHCreateDirectoryExW(nullptr, full, nullptr) : -1;
    if (made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS || made == ERROR_FILE_EXISTS)
      automation.snapshotDir_ = Narrow(full);
    else
      std::fprintf(stderr, "VX_SNAPSHOTS: cannot create %s; no pictures are saved\n", snapshots);
  }
  return automation;
}

int Automation::NextOrder() {
  // Numbers go on from the pictures already there, so that the extractor's and this
  // program's pictures of one run stay in order.
  int highest = 0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(Wide(snapshotDir_ + "\\*.png").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do highest = std::max(highest, SnapshotOrderOf(Narrow(found.cFileName)));
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
  std::lock_guard lock(mutex_);
  order_ = std::max(order_, highest) + 1;
  return order_;
}

void Automation::Snapshot(HWND window, const std::string& kind) {
  if (snapshotDir_.empty() || window == nullptr || !IsWindowVisible(window)) return;
  std::string name = SnapshotFileName(NextOrder(), kind, WindowText(window));
  if (!SaveWindowPicture(PictureWindow(window), snapshotDir_ + "\\" + name))
    std::fprintf(stderr, "VX_SNAPSHOTS: cannot write %s\n", name.c_str());
}

void Automation::SnapshotSoon(HWND window, const std::string& kind) {
  if (snapshotDir_.empty() || window == nullptr) return;
  if (!pending_.emplace(window, kind).second) return;
  gSoonOwner = this;
  SetTimer(window, kSoonTimer, 0, &Automation::SoonTimer);
}

void CALLBACK Automation::SoonTimer(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  Automation* self = gSoonOwner;
  if (self == nullptr) return;
  auto it = self->pending_.find(window);
  if (it == self->pending_.end()) return;
  std::string kind = it->second;
  self->pending_.erase(it);
  self->Snapshot(window, kind);
}

}  // namespace vx::win32
