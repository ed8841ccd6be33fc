// Sounds through winmm's PlaySoundA.
#include "platform/win32/WinApi.h"

#include <mmsystem.h>
#undef PlaySound  // mmsystem.h names it again

#include "platform/Sound.h"

namespace vx {

bool PlaySound(std::string_view file, std::uint32_t flags) {
  ::PlaySoundA(nullptr, nullptr, 0);
  if (file.empty()) return false;
  const std::string f(file);
  // No default sound in place of a missing file: the call then plays nothing.
  return ::PlaySoundA(f.c_str(), nullptr, (flags & kSndAsync) | SND_FILENAME | SND_NODEFAULT) !=
         FALSE;
}

}  // namespace vx
