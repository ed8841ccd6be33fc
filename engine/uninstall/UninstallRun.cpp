#include "engine/ui/InterfaceWait.h"
#include "engine/uninstall/UninstallRun.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <unordered_set>

#include "engine/actions/ActionLine.h"
#include "engine/actions/RegistryDword.h"
#include "engine/actions/RestartSchedule.h"
#include "engine/base/EngineRun.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/ProductRecord.h"
#include "engine/base/RunJournal.h"
#include "engine/base/RunReport.h"
#include "engine/uninstall/Rollback.h"
#include "engine/base/FolderContent.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/PrefixedProgress.h"
#include "engine/ui/Ui.h"
#include "engine/files/SharedFiles.h"
#include "library/Karvo.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::uint32_t kLastWordMs = 1500;

std::atomic<int>& ReadOnlyAnswer() { return CurrentRun().uninstallReadOnlyAnswer; }

std::string Exp(std::string text) {
  ExpandFully(text);
  return text;
}

std::string Canonical(const std::string& path) {
  std::string out;
  if (!winpath::Normalize(winpath::ToBackslashes(path), out)) return "";
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return winpath::ToUpper(out);
}

// True when `folder` is `inner` or holds it.
bool Holds(const std::string& folder, const std::string& inner) {
  if (folder.empty() || inner.empty()) return false;
  if (folder == inner) return true;
  std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  return inner.compare(0, prefix.size(), prefix) == 0;
}

void RunList(const char* countKey, const char* prefix, const StatusDisplay& status) {
  int n = ReadScriptInt("<Uninstall>", countKey);
  for (int i : ScriptListItems("<Uninstall>", prefix, 0, n - 1))
    RunActionLine(Exp(ReadScriptString("<Uninstall>", prefix + std::to_string(i))), status);
}

// Removes a registry key and then its parents up to `stop` levels while they hold nothing.
void DeleteKeyAndEmptyParents(HKEY root, std::string key, int levels) {
  RegDeleteKey(root, key);
  for (int i = 0; i < levels; ++i) {
    std::size_t cut = key.rfind('\\');
    if (cut == std::string::npos) return;
    key.erase(cut);
    HKEY h = 0;
    if (RegOpenKeyEx(root, key, kKeyAllAccess, &h) != 0) return;
    std::vector<std::string> subkeys;
    std::vector<RegValue> values;
    RegEnumKeyNames(h, &subkeys);
    RegEnumValues(h, &values);
    RegCloseKey(h);
    if (!subkeys.empty() || !values.empty()) return;
    RegDeleteKey(root, key);
  }
}

// The paths the component lists decided on in this run (upper case): the sweep of the
// record leaves them to those decisions.
std::unordered_set<std::string>& HandledPaths() {
  static std::unordered_set<std::string> paths;
  return paths;
}

std::unordered_set<std::string> CreatedFolderKeys(const ProductRecord& record) {
  std::unordered_set<std::string> keys;
  for (const RecordEntry& e : record.Entries())
    if (e.kind == RecordKind::Folder) keys.insert(winpath::ToUpper(RecordPath(e[0])));
  return keys;
}

}  // namespace

int ReadOnlyRemovalAnswer() { return ReadOnlyAnswer(); }
void ResetUninstallAnswers() { ReadOnlyAnswer().store(2); }

bool IsProtectedFolder(const std::string& folder) {
  std::string f = Canonical(folder);
  if (f.empty() || f.size() <= 3) return true;  // unmappable text, or a drive root
  std::vector<std::string> keep = {
      Canonical(Folders().windows),     Canonical(Folders().system),
      Canonical(Folders().temp),        Canonical(Folders().programFiles),
      Canonical(GetWindowsDirectory()), Canonical(GetSystemDirectory())};
  for (int csidl : {kCsidlPrograms, kCsidlStartup, kCsidlStartMenu, kCsidlDesktopDirectory})
    keep.push_back(Canonical(GetSpecialFolder(csidl)));
  // The host user's home, reached through the drive that maps the host's root, is no more
  // the product's than a drive root is.
  if (const char* home = std::getenv("HOME"); home && *home == '/')
    if (auto name = Machine::Current().ToWindows(home)) keep.push_back(Canonical(*name));
  for (const std::string& k : keep)
    if (Holds(f, k)) return true;
  return false;
}

void RemoveComponent(const std::string& name, ProgressView* progress) {
  auto heading = [&](const std::string& t) {
    if (progress) progress->SetHeading(t);
  };
  auto detail = [&](const std::string& t) {
    if (progress) progress->SetDetail(t);
  };
  auto position = [&](int p) {
    if (progress) progress->SetPosition(p);
  };
  StatusDisplay status = [&](const std::string& description) {
    heading(description);
    detail("");
  };
  const ProductRecord& record = LoadedRecord();
  const std::unordered_set<std::string> folders = CreatedFolderKeys(record);
  // The product's folders found real in this pass. A link planted later in the pass could
  // equally be planted between a look and the deletion after it; what the look guards
  // against is a folder replaced while the product stood.
  std::unordered_set<std::string> realFolders;

  heading("Removing file for " + name);
  position(100);
  PacedPause(1200);
  int n = ReadScriptInt(name, "nItems");
  std::string lastPath;
  for (int i : ScriptListItems(name, "", 0, n - 1)) {
    std::string line = Exp(ReadScriptString(name, std::to_string(i)));
    if (IsEvent(line.c_str())) {
      RunUninstallActionLine(line, status);
    } else if (!line.empty()) {
      std::string fileName = NextField(line);
      std::string folder = EnsureTrailingBackslash(NextField(line));
      NextField(line);
      bool shared = NextField(line) == "1";
      std::string path = folder + fileName;
      // What the file lines decide (removed, or kept by an answer) is theirs alone.
      HandledPaths().insert(winpath::ToUpper(RecordPath(path)));
      if (record.Loaded()) {
        // Only what the product put there, and never through a folder of its that a link
        // has replaced.
        if (BelowReplacedFolder(path, folders, &realFolders)) continue;
        // A shared file goes by its count, whoever made it; one that nobody counts and the
        // product did not make was never the product's.
        std::uint32_t count = 0;
        if (shared) ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, count);
        if (!record.CreatedFile(path) && count == 0) continue;
      }
      std::uint32_t attrs = GetFileAttributes(path);
      const bool link = attrs != kInvalidAttributes && (attrs & kAttrReparsePoint) != 0;
      if (!link && attrs != kInvalidAttributes && (attrs & kAttrReadOnly)) {
        int answer = ReadOnlyAnswer();
        if (answer != 1 && answer != 3) {
          answer = AskFourChoice(FormatText(LoadText(TextId::ReadOnlyDeleteQuestion), path));
          ReadOnlyAnswer().store(answer);
        }
        if (answer == 2 || answer == 3) continue;
        SetFileAttributes(path, kAttrNormal);
      }
      if (shared && !link) {
        UpdateSharedFileCount(path, -1);
      } else {
        DeleteFile(path);
      }
      lastPath = path;
      PacedPause(70);
    }
    detail(lastPath);
    position(static_cast<int>((100LL * n - 100LL * i) / n));
  }

  heading("Removing icons for " + name);
  position(100);
  PacedPause(1200);
  int icons = ReadScriptInt(name, "nIcons");
  for (int i : ScriptListItems(name, "Icon", 0, icons - 1)) {
    std::string line = Exp(ReadScriptString(name, "Icon" + std::to_string(i)));
    std::string linkName = NextField(line);
    for (int k = 0; k < 4; ++k) NextField(line);
    std::string path = EnsureTrailingBackslash(NextField(line)) + linkName + ".lnk";
    HandledPaths().insert(winpath::ToUpper(RecordPath(path)));
    if (!record.Loaded() ||
        (record.CreatedFile(path) && !BelowReplacedFolder(path, folders, &realFolders)))
      DeleteFile(path);
    detail(linkName);
    position(static_cast<int>((100LL * icons - 100LL * i) / icons));
    PacedPause(70);
  }
}

namespace {

// A rollback: the lists of the product (unless it stays installed), then what the run's
// journal says it did, undone last first.
void RollBack(const UninstallOptions& options, ProgressView* view, const StatusDisplay& status) {
  const bool runLists = !options.maintenance;
  if (runLists) RunList("PrenItems", "Pre", status);
  // Counts first: a file this run made goes only when nobody counts it any more.
  for (const std::string& path : options.rollback->CountedPaths()) LowerSharedFileCountOnly(path);
  RollBackEntries(options.rollback->Entries(), view);
  if (runLists) RunList("PostnItems", "Post", status);
}

// What the record says the product made and the lists did not name: files written by its
// actions, INI files, the engine's files, then its folders and keys when nothing else is in
// them.
void SweepRecorded(const ProductRecord& record) {
  const std::unordered_set<std::string> folders = CreatedFolderKeys(record);
  std::unordered_set<std::string> realFolders;  // as in a component's pass
  const std::vector<RecordEntry>& entries = record.Entries();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const RecordEntry& e = *it;
    // What is gone already (most of it, with its destination) needs no look at its folders.
    if (e.kind == RecordKind::File) {
      if (HandledPaths().count(winpath::ToUpper(RecordPath(e[0])))) continue;
      std::uint32_t attributes = GetFileAttributes(e[0]);
      if (attributes == kInvalidAttributes ||
          ((attributes & kAttrReparsePoint) == 0 && (attributes & kAttrDirectory)) ||
          BelowReplacedFolder(e[0], folders, &realFolders))
        continue;
      std::uint32_t count = 0;
      ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, e[0], count);
      if (count == 0) DeleteFile(e[0]);
    } else if (e.kind == RecordKind::Folder) {
      if (IsProtectedFolder(e[0]) || GetFileAttributes(e[0]) == kInvalidAttributes ||
          BelowReplacedFolder(e[0], folders, &realFolders))
        continue;
      RemoveDirectory(e[0]);
    } else if (e.kind == RecordKind::RegistryKey) {
      const HKEY root = RootKeyByName(e[0]);
      HKEY h = 0;
      if (root == 0 || RegOpenKeyEx(root, e[1], kKeyRead, &h) != 0) continue;
      std::vector<std::string> subkeys;
      std::vector<RegValue> values;
      RegEnumKeyNames(h, &subkeys);
      RegEnumValues(h, &values);
      RegCloseKey(h);
      if (subkeys.empty() && values.empty()) RegDeleteKey(root, e[1]);
    }
  }
}

// True when the record names a file the product put right in `folder`.
bool HeldProductFiles(const ProductRecord& record, const std::string& folder) {
  const std::string prefix = winpath::ToUpper(EnsureTrailingBackslash(RecordPath(folder)));
  for (const RecordEntry& e : record.Entries()) {
    if (e.kind != RecordKind::File) continue;
    const std::string path = winpath::ToUpper(RecordPath(e[0]));
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('\\', prefix.size()) == std::string::npos)
      return true;
  }
  return false;
}

// A destination the record says the product made goes with everything in it (a link put in
// its place goes as a link); any other keeps what the product did not put there.
void RemoveRecordedDestination(const ProductRecord& record, const std::string& path) {
  if (!record.CreatedFolder(path) || IsProtectedFolder(path)) return;
  const std::uint32_t attributes = GetFileAttributes(path);
  if (attributes == kInvalidAttributes) return;
  if (attributes & kAttrReparsePoint) {
    RemoveDirectory(path);
    return;
  }
  if (BelowReplacedFolder(path, CreatedFolderKeys(record))) return;
  DelTree(path.c_str(), 1);
}

}  // namespace

bool RunUninstall(const UninstallOptions& options) {
  const RunJournal* rollback = options.rollback;
  std::unique_ptr<ProgressView> progress;
  if (options.window) {
    // A rollback goes on in the install window: no second window, no Cancel, and every step
    // says that it undoes the installation.
    progress = std::make_unique<PrefixedProgress>(*options.window,
                                                  rollback ? LoadText(TextId::RollingBack) : "");
    progress->SetDetail("");
  } else {
    progress = CurrentUi().CreateProgress(LoadText(TextId::UninstallCaption) +
                                          ReadScriptString("<General>", "ProductName"));
  }
  if (progress) {
    progress->HideCancel();
    progress->Show(true);
  }
  ProgressView* view = progress.get();
  StatusDisplay status = [view](const std::string& description) {
    if (!view) return;
    view->SetHeading(description);
    view->SetDetail("");
  };
  if (rollback) {
    RollBack(options, view, status);
    return true;
  }

  ProductRecord& record = LoadedRecord();
  if (!record.Loaded()) record.Load(ReadRecordFile(InstalledRecordFile(GetScriptFile())));
  HandledPaths().clear();
  if (record.Loaded()) LogStep("phase", "removing what the installation record names");
  RunList("PrenItems", "Pre", status);

  std::string type = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  for (int i : ScriptListItems(type, "", 0, ReadScriptInt(type, "nItems") - 1)) {
    std::string line = ReadScriptString(type, std::to_string(i));
    std::string name = NextField(line);
    NextField(line);
    std::string selected = NextField(line);
    if (selected == "0") continue;
    RemoveComponent(name, view);
  }

  std::string folder = EnsureTrailingBackslash(Exp("{InstallPath1}"));
  if (!folder.empty()) {
    const std::string script = FileNameOfPath(GetScriptFile());
    std::vector<std::string> inUse;
    std::vector<std::string> engineFiles = {"Karvo.dll", script, "Install.exe"};
    // The locale copy beside the script, by its bare name only: a script naming a path there
    // must not reach outside the folder.
    const std::string locale = ReadScriptString("<PreActions>", "DefLocale");
    if (!locale.empty() && locale.find_first_of("\\/:") == std::string::npos && locale != "." &&
        locale != "..")
      engineFiles.push_back(locale);
    for (const std::string& file : engineFiles) {
      HandledPaths().insert(winpath::ToUpper(RecordPath(folder + file)));
      // The engine's own files are rewritten by every run that registers, whatever was there:
      // they are the product's whether or not the record names them.
      // The engine that started this copy may still hold its Install.exe and Karvo.dll (it
      // waits for the outcome): they go at the next restart instead.
      if (!DeleteFile(folder + file) && FileExists(folder + file)) inUse.push_back(folder + file);
    }
    if (!inUse.empty()) {
      // The folder follows its files; a restart leaves it when anything else is left in it.
      if (!IsProtectedFolder(folder)) inUse.push_back(folder.substr(0, folder.size() - 1));
      ScheduleAtRestart(inUse, "");
    }
    // The record goes with the script it belongs to.
    if (record.Loaded()) DeleteFile(InstalledRecordFile(folder + script));
  }
  int destinations = ReadScriptInt("<Destinations>", "nItems");
  for (int i : ScriptListItems("<Destinations>", "InstallPath", 1, destinations)) {
    std::string path = Exp(ReadScriptString("<Destinations>", "InstallPath" + std::to_string(i)));
    if (path.empty()) continue;
    if (record.Loaded()) {
      RemoveRecordedDestination(record, path);
      continue;
    }
    // A destination that names a system folder keeps everything the product did not put there.
    if (IsProtectedFolder(path)) continue;
    // A folder that held something before the installation keeps what the product did
    // not put there: its files are gone by now, so only the folders left empty go.
    if (ReadScriptInt("<Destinations>", "PreExisting" + std::to_string(i)) == 1) {
      RemoveEmptyFolders(path);
      continue;
    }
    DelTree(path.c_str(), 1);
  }
  if (record.Loaded()) {
    SweepRecorded(record);
    // A destination that was there before goes too when the product's files were all it held.
    for (int i : ScriptListItems("<Destinations>", "InstallPath", 1, destinations)) {
      std::string path = Exp(ReadScriptString("<Destinations>", "InstallPath" + std::to_string(i)));
      if (!path.empty() && HeldProductFiles(record, path) && !IsProtectedFolder(path)) {
        const std::uint32_t attributes = GetFileAttributes(path);
        if (attributes != kInvalidAttributes && (attributes & kAttrReparsePoint) == 0)
          RemoveDirectory(path);
      }
    }
  }
  std::string productFolder = Exp("{ProductFolder}");
  if (!IsProtectedFolder(productFolder) &&
      (!record.Loaded() || record.CreatedFolder(productFolder)))
    RemoveDirectory(productFolder);
  if (ReadScriptInt("<UserInfoWnd>", "SkipThis") == 0) {
    // The user information the installation stored is the product's only key of its own.
    DeleteKeyAndEmptyParents(kHkeyCurrentUser,
                             Exp("Software\\{VendorName}\\{ProductName}\\UserInfo"), 2);
  }
  // Without a product name the key would be the Uninstall key itself, which on the 9x
  // family goes with every other product's entry; such a product was never registered.
  if (!Trim(Exp("{ProductName}")).empty())
    RegDeleteKey(kHkeyLocalMachine,
                 Exp("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{ProductName}"));

  RunList("PostnItems", "Post", status);
  if (view) {
    // The last word, long enough to be read, says that the product is gone.
    view->SetHeading(LoadText(TextId::UninstallCompleted));
    view->SetDetail("");
    view->SetPosition(100);
    PacedPause(kLastWordMs);
  }
  return true;
}

}  // namespace vx
