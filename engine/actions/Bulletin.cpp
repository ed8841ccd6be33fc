#include "engine/actions/Bulletin.h"

#include <mutex>

#include "engine/base/EngineRun.h"

namespace vx {

void SetBulletinSink(BulletinSink s) {
  EngineRun::Bulletin& board = CurrentRun().bulletin;
  std::lock_guard lock(board.mutex);
  board.sink = std::move(s);
}

void UpdateBulletin(const std::string& imageName) {
  EngineRun::Bulletin& board = CurrentRun().bulletin;
  BulletinSink current;
  {
    std::lock_guard lock(board.mutex);
    board.lastImage = imageName;
    current = board.sink;
  }
  // Outside the lock: the window may take its time repainting.
  if (current) current(imageName);
}

std::string LastBulletinImage() {
  EngineRun::Bulletin& board = CurrentRun().bulletin;
  std::lock_guard lock(board.mutex);
  return board.lastImage;
}

}  // namespace vx
