#include "platform/Sound.h"

#include "library/Karvo.h"

// Stops whatever sound plays, then plays the file; with wait the call returns when the sound
// has finished. A missing or unplayable file plays nothing.
KARVO_API void VxPlaySound(const char* fileName, int wait) {
  vx::PlaySound({}, vx::kSndSync);
  if (fileName == nullptr || *fileName == 0) return;
  vx::PlaySound(fileName, vx::kSndFilename | (wait ? vx::kSndSync : vx::kSndAsync));
}
