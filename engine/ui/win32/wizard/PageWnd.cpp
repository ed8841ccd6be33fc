#include "engine/ui/win32/wizard/PageWnd.h"

#include <commctrl.h>

#include "engine/ui/ControlIds.h"
#include "engine/ui/win32/wizard/InstallWizardWnd.h"
#include "engine/ui/win32/wizard/PageResources.h"
#include "engine/ui/win32/wizard/SidePicture.h"
#include "engine/ui/win32/wizard/WizardAutomation.h"

namespace vx::win32 {

// The resource compiler's numbers are the engine's.
static_assert(VX_CTL_SIDE_PICTURE == kCtlSidePicture && VX_CTL_PAGE_TEXT == kCtlPageText &&
                  VX_CTL_LICENSE == kCtlLicense && VX_CTL_USER_GROUP == kCtlUserGroup &&
                  VX_CTL_USER_NAME_EDIT == kCtlUserNameEdit &&
                  VX_CTL_USER_NAME_LABEL == kCtlUserNameLabel && VX_CTL_SUMMARY == kCtlSummary &&
                  VX_CTL_SUMMARY_INTRO == kCtlSummaryIntro &&
                  VX_CTL_TYPE_DESCRIPTION == kCtlTypeDescription &&
                  VX_CTL_COMPLETION_TEXT == kCtlCompletionText &&
                  VX_CTL_COMPLETION_MORE == kCtlCompletionMore &&
                  VX_CTL_COMPONENT_DESCRIPTION == kCtlComponentDescription &&
                  VX_CTL_COMPONENT_TOTAL == kCtlComponentTotal &&
                  VX_CTL_DRIVE_TABLE == kCtlDriveTable &&
                  VX_CTL_DESTINATION_LABEL == kCtlDestinationLabel &&
                  VX_CTL_DESTINATION_DRIVES == kCtlDestinationDrives &&
                  VX_CTL_DESTINATION_FOLDER == kCtlDestinationFolder &&
                  kCtlDestinationRowStride == 3 && VX_CTL_WELCOME_WARNING == kCtlWelcomeWarning &&
                  VX_CTL_LIST_PLACE == kCtlListPlace && VX_CTL_UNINSTALL_ALL == kCtlUninstallAll &&
                  VX_CTL_PAGE_PROMPT == kCtlPagePrompt,
              "the page templates use the engine's control ids");

void CWZPage::SetText(int id, const std::string& text) { win32::SetText(Control(id), text); }

void CWZPage::SetStaticText(int id, const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += (text[i] == '\r' || text[i] == '\n') ? std::string("\r\n") : std::string(1, text[i]);
  }
  SetText(id, out);
}

void CWZPage::SetEditText(int id, const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\r\n";
      ++i;
    } else {
      out += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
  }
  SetText(id, out);
}

std::string CWZPage::Text(int id) const { return WindowText(Control(id)); }

void CWZPage::Show(int id, bool visible) { ShowWindow(Control(id), visible ? SW_SHOW : SW_HIDE); }

void CWZPage::SetPictureFile(std::string file) {
  picture_ = std::move(file);
  if (HWND frame = Control(kCtlSidePicture)) InvalidateRect(frame, nullptr, FALSE);
}

INT_PTR CALLBACK CWZPage::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* page = reinterpret_cast<CWZPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    page->hwnd_ = window;
    page->wizard_.Attach(window);
    page->Initialise();
    return TRUE;
  }
  auto* page = reinterpret_cast<CWZPage*>(GetWindowLongPtrW(window, DWLP_USER));
  return page ? page->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR CWZPage::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.code == PSN_SETACTIVE || header.code == PSN_WIZNEXT ||
          header.code == PSN_WIZFINISH || header.code == PSN_QUERYCANCEL ||
          header.code == PSN_WIZBACK)
        return SheetNotify(header);
      LRESULT result = 0;
      if (!Notify(header, result)) return FALSE;
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_COMMAND:
      // A text there only to be read shows no caret, which would stand over its first letter.
      if (HIWORD(wParam) == EN_SETFOCUS &&
          (GetWindowLongW(reinterpret_cast<HWND>(lParam), GWL_STYLE) & ES_READONLY))
        HideCaret(reinterpret_cast<HWND>(lParam));
      Command(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DRAWITEM: {
      auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID != kCtlSidePicture) return FALSE;
      DrawSidePicture(item.hDC, item.rcItem, picture_);
      return TRUE;
    }
    case kMsgAnswer:
      if (!wizard_.Ended() && wizard_.CurrentPage() == this) AnswerCurrentPage(wizard_);
      return TRUE;
    case kMsgStayed:
      if (!wizard_.Ended() && wizard_.CurrentPage() == this) AnswerStayedPage(wizard_);
      return TRUE;
    case kMsgQuitQuestion:
      wizard_.QuitQuestion(*this);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CWZPage::SheetNotify(NMHDR& header) {
  LRESULT result = 0;
  switch (header.code) {
    case PSN_SETACTIVE:
      wizard_.Activated(*this);
      break;
    case PSN_WIZNEXT:
      result = wizard_.NextPressed(*this) ? 0 : -1;
      break;
    case PSN_WIZFINISH:
      wizard_.Finished();
      break;
    case PSN_QUERYCANCEL:
      result = wizard_.CancelRequested(*this) ? FALSE : TRUE;
      break;
    default:
      break;
  }
  SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace vx::win32
