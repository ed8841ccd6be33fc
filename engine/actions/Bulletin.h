// The bulletin board of the main window: action code 10 hands it a new picture. The window
// installs a sink; without one (headless) the name is only remembered.
#pragma once
#include <functional>
#include <string>

namespace vx {

using BulletinSink = std::function<void(const std::string& imageName)>;

// The sink is called synchronously on the thread that runs the action.
void SetBulletinSink(BulletinSink sink);
// Hands the image name to the sink and remembers it.
void UpdateBulletin(const std::string& imageName);
// The last image name handed over ("" before any).
std::string LastBulletinImage();

}  // namespace vx
