// The control ids of the wizard pages, shared by every UI that draws them (and by tests that
// look controls up), so that each id's meaning is in its name rather than in a comment.
#pragma once

namespace vx {

enum ControlId : int {
  kCtlItemLabelBase = 1000,  // the item list's label of row i is this plus i
  kCtlSidePicture = 1003,
  kCtlPageText = 1004,  // welcome text; license introduction
  kCtlLicense = 1005,
  kCtlUserGroup = 1006,
  kCtlUserNameEdit = 1007,   // then company and e-mail, one apart
  kCtlUserNameLabel = 1010,  // then company and e-mail, one apart
  kCtlSummary = 1017,
  kCtlSummaryIntro = 1018,
  kCtlTypeDescription = 1024,
  kCtlCompletionText = 1025,
  kCtlCompletionMore = 1026,
  kCtlComponentDescription = 1031,
  kCtlComponentTotal = 1032,
  kCtlDriveTable = 1033,
  kCtlDestinationLabel = 1034,   // row n's label, drive list and folder edit are
  kCtlDestinationDrives = 1035,  // these plus n times kCtlDestinationRowStride
  kCtlDestinationFolder = 1036,
  kCtlDestinationRowStride = 3,
  kCtlWelcomeWarning = 1063,
  kCtlListPlace = 1066,  // marks where an item list goes
  kCtlItemList = 1067,   // the item list itself, where a UI gives it an id
  kCtlUninstallAll = 1070,
  kCtlPagePrompt = 1077,
};

}  // namespace vx
