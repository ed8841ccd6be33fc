// Shortcuts of a component: one shortcut line "name | target | arguments | icon | working folder
// | folder" becomes the shell link file folder + name + ".lnk".
#pragma once
#include <string>

#include "platform/LinkFile.h"

namespace vx {

// Longest path of a shortcut file (the 260-character buffer less its terminator).
inline constexpr std::size_t kMaxShortcutPath = 259;

// Expands the line, creates the folder with its parents and writes the link. Reports nothing:
// a shortcut that cannot be made is simply missing.
void CreateShortcut(const std::string& line);

// The icon field: the icon file and index separated by the last blank. The file part is trimmed
// at its end; the index is the decimal number at the start of the text after the blank (0 when
// none). Without a blank: empty file, index 0.
void SplitIconField(const std::string& field, std::string* file, int* index);

}  // namespace vx
