// The file name of a window's picture in a scripted run ($VX_SNAPSHOTS), the same for every
// graphical interface: "0007-message-Demo_Setup.png" (order, kind, title).
#pragma once
#include <string>

namespace vx {

std::string SnapshotFileName(int order, const std::string& kind, const std::string& title);
// The order a picture file carries in its first four characters; 0 when it carries none.
int SnapshotOrderOf(const std::string& fileName);

}  // namespace vx
