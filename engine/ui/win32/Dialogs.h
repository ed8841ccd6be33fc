// The modal questions of the Win32 interface. Each runs on the interface thread, answers
// itself in a scripted run and prints its one line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/win32/Automation.h"

namespace vx::win32 {

// The system's message box; the kId* of the button taken.
int RunMessageBox(HWND owner, Automation& automation, const std::string& caption,
                  const std::string& text, std::uint32_t type);
// Yes, Yes to all, No, No to all: 0 to 3; closed any other way: 2.
int RunFourChoice(HWND owner, Automation& automation, const std::string& caption,
                  const std::string& question, const std::vector<std::string>& buttonTexts);
// A question with an edit field, Browse when `browse` is not empty; false on Cancel.
bool RunTextQuestion(HWND owner, Automation& automation, const std::string& caption,
                     const std::string& text, std::string& value, const std::string& browse);
// The choice list: the index taken, or -1 when closed without OK.
int RunChoice(HWND owner, Automation& automation, const std::string& caption,
              const std::string& prompt, const std::vector<std::string>& items, int preselected);
bool RunConfirmUninstall(HWND owner, Automation& automation, const std::string& caption,
                         const std::vector<std::string>& texts);
void RunAboutBox(HWND owner, Automation& automation);

// The program's icon at the size given (pixels), from the resources.
HICON ProgramIcon(int size);
// Paints the built-in side picture into `r` of `dc`, at the device's resolution.
void PaintSidePicture(HDC dc, const RECT& r);

}  // namespace vx::win32
