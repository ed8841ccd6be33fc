#include "engine/actions/Bulletin.h"

#include <mutex>

namespace vx {

namespace {
std::mutex mutex;
BulletinSink sink;
std::string lastImage;
}  // namespace

void SetBulletinSink(BulletinSink s) {
  std::lock_guard lock(mutex);
  sink = std::move(s);
}

void UpdateBulletin(const std::string& imageName) {
  BulletinSink current;
  {
    std::lock_guard lock(mutex);
    lastImage = imageName;
    current = sink;
  }
  // Outside the lock: the window may take its time repainting.
  if (current) current(imageName);
}

std::string LastBulletinImage() {
  std::lock_guard lock(mutex);
  return lastImage;
}

}  // namespace vx
