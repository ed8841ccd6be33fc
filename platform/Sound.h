// Sound playing (PlaySoundA for files), Windows-shaped.
#pragma once
#include <cstdint>
#include <string_view>

namespace vx {

// PlaySound flags (SND_*).
enum : std::uint32_t {
  kSndSync = 0x0,
  kSndAsync = 0x1,
  kSndFilename = 0x20000,
};

// Stops the sound that is playing, then, unless `file` is empty, plays the WAV file named by
// the Windows path `file`. The host's player is the program named by $VX_SOUND_PLAYER when
// that is set (empty = no sound), else the first of aplay, paplay, pw-play found in PATH;
// it gets the host path as its last argument. Without kSndAsync the call returns when the
// sound has finished: it waits for the player, and at least for the playing time the file's
// header gives, so a machine without sound paces the same. A file that is missing or not an
// uncompressed WAV plays nothing and returns at once. Returns true when a sound was started.
bool PlaySound(std::string_view file, std::uint32_t flags);

}  // namespace vx
