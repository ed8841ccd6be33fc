// Deletion of the extracted files at the next start of the machine, by platform: on the
// 9x family "NUL=" lines appended to Wininit.ini in the Windows folder, on NT the
// delay-until-reboot queue.
#pragma once
#include <string>
#include <vector>

namespace vx::extract {

void ScheduleDeletionAtRestart(const std::vector<std::string>& files);

// The 9x form: appends one "\r\nNUL=<file>" line per file to `wininit` in one write,
// creating the file with "[Rename]" when missing. An existing file whose last section is
// not [Rename] first gets a "[Rename]" line, so that the lines are never lost to another
// section. False when the file cannot be opened or written.
bool AppendWininitDeletions(const std::string& wininit, const std::vector<std::string>& files);

}  // namespace vx::extract
