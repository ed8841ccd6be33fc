// The search for a file on every local fixed and network drive. A worker thread walks the
// drives while the calling thread holds the progress window; the stop request (raised by the
// window's Stop/Cancel through the main window's exit command) is honoured between drives.
#include "engine/actions/FileSearch.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Texts.h"
#include "engine/ui/Ui.h"
#include "platform/Dispatcher.h"
#include "platform/Machine.h"
#include "platform/Files.h"
#include "platform/System.h"

namespace vx {

namespace {

// A folder whose path (with its backslash) is longer than this cannot be made current on
// Windows, so the walk passes it over.
constexpr std::size_t kMaxFolderPath = 259;

class DriveSearch {
 public:
  DriveSearch(std::string name, ProgressView* view) : name_(std::move(name)), view_(view) {}

  void Run() {
    for (const std::string& root : SearchableRoots()) {
      if (Flags().stopRequest.load()) break;
      SearchFolder(root);
    }
  }

  const std::vector<std::string>& Results() const { return results_; }

 private:
  // Fixed and network drives only; removable, CD and RAM drives are not searched.
  static std::vector<std::string> SearchableRoots() {
    std::vector<std::string> roots;
    for (const std::string& root : GetLogicalDriveStrings()) {
      DriveType type = GetDriveType(root);
      if (type == DriveType::Fixed || type == DriveType::Remote) roots.push_back(root);
    }
    return roots;
  }

  // `folder` ends with a backslash.
  void SearchFolder(const std::string& folder) {
    if (folder.size() > kMaxFolderPath) return;
    // The folder as the current directory shows it: no backslash but on a root.
    std::string shown = folder.size() > 3 ? folder.substr(0, folder.size() - 1) : folder;
    if (view_ != nullptr) ShowFolder(shown);

    FindData entry;
    // The search name itself as the pattern; the listing matches without regard to case, the
    // exact comparison then keeps only the name as written.
    FindHandle find = FindFirstFile(folder + name_, &entry);
    if (find != kInvalidFind) {
      do {
        if (!(entry.attributes & kAttrDirectory) && entry.name == name_) results_.push_back(folder);
      } while (FindNextFile(find, &entry));
      FindClose(find);
    }

    std::vector<std::string> subfolders;
    find = FindFirstFile(folder + "*.*", &entry);
    if (find == kInvalidFind) return;  // a folder that cannot be entered is passed over
    do {
      // Linked folders are not entered: a link to an ancestor would never end the walk.
      if ((entry.attributes & kAttrDirectory) && !(entry.attributes & kAttrReparsePoint) &&
          !entry.name.empty() && entry.name[0] != '.')
        subfolders.push_back(entry.name);
    } while (FindNextFile(find, &entry));
    FindClose(find);
    for (const std::string& sub : subfolders) SearchFolder(folder + sub + "\\");
  }

  // Now and then the worker waits until the dialog shows the folder, so that a Stop pressed
  // while a folder is on screen is seen before the next drive; in between the updates are
  // only queued, which keeps a walk of a large drive fast.
  void ShowFolder(const std::string& shown) {
    auto now = std::chrono::steady_clock::now();
    if (now - lastSent_ < std::chrono::milliseconds(50)) {
      view_->SetDetail(shown);
      return;
    }
    lastSent_ = now;
    Dispatcher& dispatcher = UiDispatcher();
    if (!dispatcher.Send([&] { view_->SetDetail(shown); })) view_->SetDetail(shown);
  }

  std::string name_;
  ProgressView* view_;
  std::chrono::steady_clock::time_point lastSent_{};
  std::vector<std::string> results_;
};

}  // namespace

std::string SearchForFile(const std::string& searchName) {
  Dispatcher& dispatcher = UiDispatcher();
  // Asked for by a worker (an action of the installation): the dialog and its wait belong
  // to the interface thread.
  if (!dispatcher.OnInterfaceThread())
    return dispatcher.Call<std::string>([&] { return SearchForFile(searchName); }, "");
  Ui& ui = CurrentUi();
  std::string caption = LoadText(TextId::SearchingForFile);
  std::unique_ptr<ProgressView> view = ui.CreateProgress(caption);
  if (view) {
    view->SetHeading(FormatText(LoadText(TextId::SearchWait), searchName));
    view->SetDetail("");
    view->SetPosition(0);
  }

  DriveSearch search(searchName, view.get());
  std::atomic<bool> done{false};
  std::thread worker([&search, &done, &dispatcher] {
    PacedWait(2000);
    search.Run();
    done = true;
    dispatcher.Post([] {});  // wakes the wait
  });
  ui.WaitModal(dispatcher, [&] { return done.load(); });
  worker.join();
  dispatcher.Pump(0);  // the worker's last updates, before its window goes
  if (view) view->Show(false);

  const std::vector<std::string>& found = search.Results();
  if (found.empty()) {
    ui.Beep();
    return "";
  }
  if (found.size() == 1) return found.front();
  int chosen = ui.ChooseFromList(caption, LoadText(TextId::SearchSeveralFound), found, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= found.size()) return "";
  return found[static_cast<std::size_t>(chosen)];
}

std::string RunFileSearch(const std::string& fileName) { return SearchForFile(fileName); }

}  // namespace vx
