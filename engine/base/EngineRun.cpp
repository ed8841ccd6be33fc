#include "engine/base/EngineRun.h"

namespace vx {

EngineRun& CurrentRun() {
  static EngineRun run;
  return run;
}

void EngineRun::Reset() {
  ResetRunFlags();
  folders = FolderValues{};
  {
    std::lock_guard lock(files.mutex);
    files.script.clear();
    files.bootstrap.clear();
    files.locale.clear();
  }
  journal.Clear();
  record.Clear();
  events.Clear();
  {
    std::lock_guard lock(bulletin.mutex);
    bulletin.lastImage.clear();
  }
  copyAnswers = RememberedAnswers{};
  {
    std::lock_guard lock(staged.mutex);
    staged.taken.clear();
  }
  sharedFileAnswer = 2;
  uninstallReadOnlyAnswer = 2;
  installProgress = nullptr;
  quitConfirmed = false;
}

}  // namespace vx
