// The pages that only show texts: welcome, license, summary and completion.
#include <QLabel>

#include "engine/base/Macros.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/qt/wizard/NoHighlightEditor.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/ControlIds.h"

namespace vx {

void CWZWelcome::Initialise() {
  WelcomeContent c = LoadWelcomePage();
  AddSidePicture();
  AddText(kCtlPageText, 92, 8, 181, 68, c.text);
  AddText(kCtlWelcomeWarning, 92, 80, 181, 71, c.warning);
  SetPictureFile(c.picture);
}

void CWZAgreement::Initialise() {
  AgreementContent c = LoadAgreementPage();
  AddText(kCtlPageText, 7, 3, 266, 36, c.intro);
  license_ = Place(new CNoHighlightEditor(this), kCtlLicense, 7, 42, 266, 121);
  license_->setAccessibleName(Qs(LoadText(TextId::LicenseTitle)));
  license_->setPlainText(EditText(c.license));
}

void CWZReview::Initialise() {
  AddSidePicture();
  AddText(kCtlSummaryIntro, 94, 7, 179, 32, LoadText(TextId::SummaryIntro));
  summary_ = Place(new CNoHighlightEditor(this), kCtlSummary, 95, 45, 178, 105);
  summary_->setAccessibleName(Qs(LoadText(TextId::SummaryTitle)));
  std::string picture = ReadScriptString("<InstSummaryWnd>", "ImgFileName");
  if (!picture.empty()) ExpandFully(picture);
  SetPictureFile(picture);
}

void CWZReview::Activate() { summary_->setPlainText(EditText(ReviewText())); }

void CWZCompletion::Initialise() {
  CompletionContent c = LoadCompletionPage();
  AddSidePicture();
  AddText(kCtlCompletionText, 94, 7, 179, 43, c.text);
  AddText(kCtlCompletionMore, 94, 93, 179, 58, c.more);
  SetPictureFile(c.picture);
}

}  // namespace vx
