// Install.exe and Karvo.dll must share one machine and one table of file handles (a handle
// from PrepareFileForRead is used by the engine). True when the loaded library sees the
// program's own.
#pragma once

namespace vx {

bool KarvoSharesThePlatform();

}  // namespace vx
