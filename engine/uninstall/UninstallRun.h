// Removing an installation: the "-r" run, single components in maintenance, and the rollback
// of an installation the user chose to quit.
#pragma once
#include <string>

namespace vx {

class ProgressView;
class RunJournal;

struct UninstallOptions {
  // A rollback takes back only what the journal says this run did: files and folders that
  // existed before, components installed earlier and the registration all stay, and what the
  // run replaced or overwrote gets back what it held.
  const RunJournal* rollback = nullptr;
  // Maintenance rollback: the installed product stays registered and its lists are not run.
  bool maintenance = false;
  // The window the run is shown in (the install window, for a rollback); null: a window of
  // its own.
  ProgressView* window = nullptr;
};

// RunUninstall on the active script; returns true when it ran to its end.
bool RunUninstall(const UninstallOptions& options = {});
// Removes one component's files, shortcuts and values; with the product's installation record
// loaded (LoadedRecord), only what it says the product put there.
void RemoveComponent(const std::string& name, ProgressView* progress);

// A folder the uninstall must never remove wholesale: a drive root, the Windows, system,
// program files or temp folder, a shell folder, or any folder that holds one of them.
bool IsProtectedFolder(const std::string& folder);

// The read-only question's remembered answer (0 Yes, 1 Yes to all, 2 No, 3 No to all).
int ReadOnlyRemovalAnswer();
void ResetUninstallAnswers();

}  // namespace vx
