// Resource numbers of the extractor's dialog, shared by its template (ExtractDialog.rc, which the
// resource compiler reads, hence plain defines) and the code that drives it.
#pragma once

#define VX_EXTRACT_DIALOG 101
#define VX_EXTRACT_BAR 1000
#define VX_EXTRACT_LABEL 1001
#define VX_EXTRACT_CANCEL 1002
