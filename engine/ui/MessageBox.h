// The one message box of the engine: caption MsgBoxCaption of [<ScreenLayout>], and the
// exclamation icon for OK, OK/Cancel, Yes/No/Cancel and Yes/No boxes without an icon.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

int ShowMessage(const std::string& text, std::uint32_t type);
// Four-choice prompt: 0 Yes, 1 Yes to all, 2 No, 3 No to all (2 when closed otherwise).
int AskFourChoice(const std::string& question);

}  // namespace vx
