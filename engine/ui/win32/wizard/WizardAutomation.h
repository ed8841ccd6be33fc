// A scripted run through the native wizard: each page, once shown, takes its answers in the
// order and with the meaning its answer rule gives them (engine/ui/PageTable.h; the headless
// walker reads the same rule) by working the page's controls and the sheet's buttons, so
// that the same answers leave the same machine and are refused with the same line.
#pragma once

namespace vx::win32 {

class CInstallWizard;

// Answers the current page (when the script answers) and takes its picture.
void AnswerCurrentPage(CInstallWizard& wizard);
// The current page kept the wizard after a scripted Next: an empty user field is asked
// again; any other page asks to quit, as the script cannot mend it.
void AnswerStayedPage(CInstallWizard& wizard);

}  // namespace vx::win32
