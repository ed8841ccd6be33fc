// The state of one engine run in one object: the flags and action texts, the folder values,
// the script files, the journal, the main window's event queue, the remembered answers of
// every layer, the bulletin board, the application object and the UI. Lower layers hold what
// higher ones own through forward-declared pointers or small plain structs defined here.
//
// The accessors the layers grew up with (Flags(), Folders(), Journal(), Events(), Answers(),
// CurrentApplication(), CurrentUi(), ...) stay as thin views into this object, so callers did
// not have to change.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/MainEvents.h"
#include "engine/base/ProductRecord.h"
#include "engine/base/RunJournal.h"

namespace vx {

class Application;
class ProgressView;
struct UiSlot;

// Remembered answers of the two file-copy questions (0 Yes, 1 Yes to all, 2 No, 3 No to
// all). They live for the whole run, so a "to all" answer covers every later component.
struct RememberedAnswers {
  int newerFile = 2;
  int readOnly = 2;
};

struct EngineRun {
  RunFlags flags;
  // {YesNoResponse} and {DllCallSuccess}: longer than a word, so unlike the flags they need
  // a lock.
  struct ActionTexts {
    std::mutex mutex;
    std::string yesNo = "NO";
    std::string dllCall = "YES";
  } texts;
  FolderValues folders;
  // The working copy of the script, the bootstrap file and the locale file; read by every
  // thread, each read a copy under the lock so that a rename never tears a string.
  struct ScriptFiles {
    std::mutex mutex;
    std::string script;
    std::string bootstrap;
    std::string locale;
  } files;
  RunJournal journal;
  // The installation record of the product the uninstall or maintenance works on.
  ProductRecord record;
  MainEvents events;

  // The bulletin board: where its pictures go (the main window) and the last one shown.
  struct Bulletin {
    std::mutex mutex;
    std::function<void(const std::string&)> sink;
    std::string lastImage;
  } bulletin;

  // File copy: its questions' answers and the staged paths handed out (upper-cased), so that
  // two destinations in use with the same file name never share one staged file.
  RememberedAnswers copyAnswers;
  struct StagedNames {
    std::mutex mutex;
    std::set<std::string> taken;
  } staged;
  std::atomic<int> sharedFileAnswer{2};         // the shared-file removal question, "No" at start
  std::atomic<int> uninstallReadOnlyAnswer{2};  // the uninstall's read-only question

  // The application object of this process (the last one constructed), or null.
  std::atomic<Application*> application{nullptr};
  // The install thread's progress view while it runs.
  std::atomic<ProgressView*> installProgress{nullptr};
  // The user already confirmed quitting through the main window while the install thread
  // ran: its next check stops without asking a second time.
  std::atomic<bool> quitConfirmed{false};

  // The UI front, its dispatcher and the graphical UI's factory (engine/ui owns the type).
  // It lives for the whole process: a reset leaves it alone.
  std::mutex uiMutex;
  std::shared_ptr<UiSlot> ui;

  // Everything back to the start values of a fresh run, except what lives for the whole
  // process: the application object, the UI and the bulletin board's sink.
  void Reset();
};

// The one run of this process.
EngineRun& CurrentRun();

}  // namespace vx
