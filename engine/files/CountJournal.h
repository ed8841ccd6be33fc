// Shared-file counts raised by an installation that has not ended yet. Each raise is written
// to a file beside the working copy before the count changes, and the file goes once the
// installation has registered or rolled back. A run killed in between leaves the file, and
// the next installation of the product (which holds the same working-copy lock) gives back
// what it had raised before it starts.
#pragma once
#include <string>

namespace vx {

// The journal of the current working copy ("" when none is named).
std::string CountJournalFile();

// Raises the use count of a shared file by one, noting it in the journal first.
void RaiseSharedFileCount(const std::string& path);

// Lowers by one, and never below the count it had before, every count a killed run raised;
// the files themselves are never removed here. Then the journal goes.
void GiveBackKilledRunCounts();

// The run's raises are accounted for (registered with the product, or rolled back).
void ForgetCountJournal();

}  // namespace vx
