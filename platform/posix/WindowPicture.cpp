#include "platform/WindowPicture.h"

namespace vx {

// The emulated machine has no native windows: its interface (Qt) takes its own pictures.
bool SaveWindowPicture(void*, const std::string&, WindowPart) { return false; }

}  // namespace vx
