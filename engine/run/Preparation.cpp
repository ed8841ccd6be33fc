#include <memory>
#include <atomic>
#include <thread>
#include <vector>

#include "engine/actions/ActionLine.h"
#include "engine/actions/RestartSchedule.h"
#include "engine/run/Application.h"
#include "engine/run/Driver.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/RunReport.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/files/PackageReader.h"
#include "engine/ui/Ui.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace vx {

namespace {

int Percent(int done, int total) {
  return total > 0 ? static_cast<int>(static_cast<double>(done) * 100.0 / total) : 0;
}

// The [{Temp}] files into the temp folder: from the package's first records, or in a folder
// installation from the source folder's "$Temp" folder.
bool CopyPreRequiredFiles(Application& app, ProgressView& view) {
  PacedWait(1500);
  int n = ReadScriptInt("{Temp}", "nItems");
  std::vector<std::string> written;
  bool ok = true;
  for (int i : ScriptListItems("{Temp}", "", 0, n - 1)) {
    std::string line = ReadScriptString("{Temp}", std::to_string(i));
    ExpandFully(line);
    std::string name = NextField(line);
    std::string destination = Folders().temp + name;
    written.push_back(destination);
    if (app.package.packageMode) {
      ok = ExtractRecord(app.package, destination, /*skipChecks=*/true);
    } else {
      // A failed copy shows later as a missing file, as the other start-up copies do.
      CopyFileFresh(Folders().source + "$Temp\\" + name, destination);
    }
    if (!ok) break;
    view.SetPosition(Percent(i + 1, n));
    view.SetHeading(destination);
  }
  if (ok) view.SetPosition(100);
  ScheduleAtRestart(written, "");
  return ok;
}

void PreparationThread(Application& app, ProgressView& view, bool& failed) {
  view.SetHeading(LoadText(TextId::ResolvingVariables));
  PacedWait(1500);
  int n = ReadScriptInt("<VariableList>", "nItems");
  for (int i : ScriptListItems("<VariableList>", "Value", 1, n)) {
    std::string key = "Value" + std::to_string(i);
    std::string value = ReadScriptString("<VariableList>", key);
    if (!ExpandFully(value)) {
      NoteFailure("user variable " + key + " of [<VariableList>] cannot be expanded");
      CurrentUi().Beep();
      failed = true;
      break;
    }
    WriteScriptString("<VariableList>", key, value);
    view.SetPosition(Percent(i, n));
  }
  view.SetHeading(LoadText(TextId::CopyingPreRequired));
  view.SetPosition(0);
  if (!CopyPreRequiredFiles(app, view)) {
    NoteFailure("a pre-required file of [{Temp}] could not be unpacked");
    failed = true;
    return;
  }
  view.SetHeading(LoadText(TextId::CheckingPreRequisite));
  view.SetPosition(0);
  PacedWait(1500);
  int actions = ReadScriptInt("<PreActions>", "nItems");
  StatusDisplay status = [&view](const std::string& description) { view.SetHeading(description); };
  for (int i : ScriptListItems("<PreActions>", "", 0, actions - 1)) {
    RunActionLine(ReadScriptString("<PreActions>", std::to_string(i)), status);
    view.SetPosition(Percent(i + 1, actions));
  }
}

}  // namespace

bool RunPreparation(Application& app) {
  std::unique_ptr<ProgressView> view = CurrentUi().CreateProgress("Initialize Installer...");
  view->Show(true);
  bool failed = false;
  // The interface thread waits in the modal dialog while the worker runs; the worker's
  // questions and updates reach the dialog through the dispatcher meanwhile.
  Dispatcher& dispatcher = UiDispatcher();
  dispatcher.BindToCurrentThread();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    PreparationThread(app, *view, failed);
    done = true;
    dispatcher.Post([] {});  // wakes the wait
  });
  CurrentUi().WaitModal(dispatcher, [&] { return done.load(); });
  worker.join();
  dispatcher.Pump(0);  // the worker's last updates, before its window goes
  view->Show(false);
  return !failed;
}

}  // namespace vx
