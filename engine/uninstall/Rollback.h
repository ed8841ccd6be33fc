// Rolling back a run that did not complete: its journal's entries are undone last first, so
// that the machine is as it was before the run. Only what the run noted is touched: files and
// folders it created go (a link found in place of one goes as a link), files it replaced and
// values it overwrote get back what they held.
#pragma once
#include <string>
#include <vector>

#include "engine/base/InstallRecord.h"

namespace vx {

class ProgressView;

// With a progress view each file taken back is paced as the uninstall paces its files.
void RollBackEntries(const std::vector<RecordEntry>& entries, ProgressView* progress);

// A journal left beside `workingCopy` is a run that was killed (installing or rolling back):
// its rollback is finished now, then the journal and its copies go. True when there was one.
bool FinishKilledRun(const std::string& workingCopy);

}  // namespace vx
