#include "engine/files/SharedFiles.h"

#include <atomic>
#include <cstdint>

#include "engine/actions/RegistryDword.h"
#include "engine/base/EngineRun.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Types.h"

namespace vx {

namespace {

enum : int { kAnswerYes = 0, kAnswerYesToAll = 1, kAnswerNo = 2, kAnswerNoToAll = 3 };

std::atomic<int>& Answer() { return CurrentRun().sharedFileAnswer; }

}  // namespace

int SharedFileAnswer() { return Answer().load(); }
void ResetSharedFileAnswer() { Answer().store(kAnswerNo); }

void LowerSharedFileCountOnly(const std::string& path) {
  std::uint32_t count = 0;
  ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, count);
  if (count > 1) {
    WriteRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, count - 1);
    return;
  }
  HKEY h = 0;
  if (RegOpenKeyEx(kHkeyLocalMachine, kSharedDllsKey, kKeyAllAccess, &h) == kErrorSuccess) {
    RegDeleteValue(h, path);
    RegCloseKey(h);
  }
}

void UpdateSharedFileCount(const std::string& path, int delta) {
  std::uint32_t count = 0;
  ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, count);
  // A count at the top of its range stays there rather than wrapping round to zero, which
  // would offer to delete a file that is still in use.
  std::int64_t newCount = static_cast<std::int64_t>(count) + delta;
  if (newCount > static_cast<std::int64_t>(UINT32_MAX)) newCount = UINT32_MAX;
  if (newCount > 0) {
    WriteRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path,
                       static_cast<std::uint32_t>(newCount));
    return;
  }

  HKEY key = 0;
  std::int32_t opened = RegOpenKeyEx(kHkeyLocalMachine, kSharedDllsKey, kKeyAllAccess, &key);
  if (opened == kErrorSuccess) {
    RegDeleteValue(key, path);
    RegCloseKey(key);
  } else if (opened == kErrorAccessDenied) {
    // The count could neither be read nor written, so nothing says that no other product
    // uses the file: report it as any count that cannot be written, and keep the file.
    ShowMessage(kRegistryPermissionMessage, kMbOk);
    return;
  }

  int answer = Answer().load();
  if (answer == kAnswerYes || answer == kAnswerNo) {
    answer = AskFourChoice(FormatText(LoadText(TextId::SharedFileUnusedQuestion), path));
    if (answer < kAnswerYes || answer > kAnswerNoToAll) answer = kAnswerNo;
    Answer().store(answer);
  }
  if (answer == kAnswerYes || answer == kAnswerYesToAll) DeleteFile(path);
}

}  // namespace vx
