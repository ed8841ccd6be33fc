// The pages that only show texts: welcome, license, summary and completion.
#include "engine/base/Macros.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/win32/wizard/Pages.h"

namespace vx::win32 {

namespace {

// A read-only text that never shows highlighted: the focus leaves an empty selection at the
// start, after the edit's own handling.
LRESULT CALLBACK NoHighlight(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                             DWORD_PTR) {
  LRESULT r = DefSubclassProc(edit, message, wParam, lParam);
  if (message == WM_SETFOCUS) SendMessageW(edit, EM_SETSEL, 0, 0);
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, NoHighlight, id);
  return r;
}

void MakeNoHighlightEditor(HWND edit) { SetWindowSubclass(edit, NoHighlight, 1, 0); }

}  // namespace

void CWZWelcome::Initialise() {
  WelcomeContent c = LoadWelcomePage();
  SetStaticText(kCtlPageText, c.text);
  SetStaticText(kCtlWelcomeWarning, c.warning);
  SetPictureFile(c.picture);
}

void CWZAgreement::Initialise() {
  AgreementContent c = LoadAgreementPage();
  SetStaticText(kCtlPageText, c.intro);
  MakeNoHighlightEditor(Control(kCtlLicense));
  SetEditText(kCtlLicense, c.license);
}

void CWZReview::Initialise() {
  SetStaticText(kCtlSummaryIntro, LoadText(TextId::SummaryIntro));
  MakeNoHighlightEditor(Control(kCtlSummary));
  std::string picture = ReadScriptString("<InstSummaryWnd>", "ImgFileName");
  if (!picture.empty()) ExpandFully(picture);
  SetPictureFile(picture);
}

void CWZReview::Activate() { SetEditText(kCtlSummary, ReviewText()); }

void CWZCompletion::Initialise() {
  CompletionContent c = LoadCompletionPage();
  SetStaticText(kCtlCompletionText, c.text);
  SetStaticText(kCtlCompletionMore, c.more);
  SetPictureFile(c.picture);
}

}  // namespace vx::win32
