// The library's messages reach the user through the message box the program handed over.
#pragma once

namespace karvo {

int ShowLibraryMessage(const char* text, const char* caption, unsigned type);

}  // namespace karvo
