#include "engine/uninstall/UninstallRun.h"

#include <atomic>
#include <cstdlib>
#include <memory>

#include "engine/actions/ActionLine.h"
#include "engine/actions/RegistryDword.h"
#include "engine/base/EngineRun.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/RunJournal.h"
#include "engine/base/FolderContent.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
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

}  // namespace

int ReadOnlyRemovalAnswer() { return ReadOnlyAnswer(); }
void ResetUninstallAnswers() { ReadOnlyAnswer().store(2); }

bool IsProtectedFolder(const std::string& folder) {
  std::string f = Canonical(folder);
  if (f.empty() || f.size() <= 3) return true;  // unmappable text, or a drive root
  std::vector<std::string> keep = {Canonical(Folders().windows), Canonical(Folders().system),
                                   Canonical(Folders().temp), Canonical(Folders().programFiles),
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

void RemoveComponent(const std::string& name, ProgressView* progress, const RunJournal* rollback) {
  auto heading = [&](const std::string& t) { if (progress) progress->SetHeading(t); };
  auto detail = [&](const std::string& t) { if (progress) progress->SetDetail(t); };
  auto position = [&](int p) { if (progress) progress->SetPosition(p); };
  StatusDisplay status = [&](const std::string& description) {
    heading(description);
    detail("");
  };

  heading("Removing file for " + name);
  position(100);
  PacedWait(1200);
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
      bool ours = !rollback || rollback->Created(path);
      if (!ours) {
        // A rollback never touches a file that was there before this run.
        if (shared && rollback->CountRaised(path)) LowerSharedFileCountOnly(path);
        continue;
      }
      std::uint32_t attrs = GetFileAttributes(path);
      if (attrs != kInvalidAttributes && (attrs & kAttrReadOnly)) {
        int answer = ReadOnlyAnswer();
        if (answer != 1 && answer != 3) {
          answer = AskFourChoice(FormatText(LoadText(TextId::ReadOnlyDeleteQuestion), path));
          ReadOnlyAnswer().store(answer);
        }
        if (answer == 2 || answer == 3) continue;
        SetFileAttributes(path, kAttrNormal);
      }
      if (shared && rollback) {
        // This run made the file: it gives back its own count and, when no other product
        // counts the file, takes it away without asking whether it is still needed.
        if (rollback->CountRaised(path)) LowerSharedFileCountOnly(path);
        std::uint32_t left = 0;
        ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, left);
        if (left == 0) DeleteFile(path);
      } else if (shared) {
        UpdateSharedFileCount(path, -1);
      } else {
        DeleteFile(path);
      }
      lastPath = path;
      PacedWait(70);
    }
    detail(lastPath);
    position(static_cast<int>((100LL * n - 100LL * i) / n));
  }

  heading("Removing icons for " + name);
  position(100);
  PacedWait(1200);
  int icons = ReadScriptInt(name, "nIcons");
  for (int i : ScriptListItems(name, "Icon", 0, icons - 1)) {
    std::string line = Exp(ReadScriptString(name, "Icon" + std::to_string(i)));
    std::string linkName = NextField(line);
    for (int k = 0; k < 4; ++k) NextField(line);
    std::string path = EnsureTrailingBackslash(NextField(line)) + linkName + ".lnk";
    if (!rollback || rollback->Created(path)) DeleteFile(path);
    detail(linkName);
    position(static_cast<int>((100LL * icons - 100LL * i) / icons));
    PacedWait(70);
  }
}

bool RunUninstall(const UninstallOptions& options) {
  const RunJournal* rollback = options.rollback;
  std::unique_ptr<ProgressView> progress = CurrentUi().CreateProgress(
      LoadText(TextId::UninstallCaption) + ReadScriptString("<General>", "ProductName"));
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
  // The lists belong to the product; a maintenance rollback must leave the product working.
  bool runLists = !(rollback && options.maintenance);
  if (runLists) RunList("PrenItems", "Pre", status);

  std::string type = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  for (int i : ScriptListItems(type, "", 0, ReadScriptInt(type, "nItems") - 1)) {
    std::string line = ReadScriptString(type, std::to_string(i));
    std::string name = NextField(line);
    NextField(line);
    std::string selected = NextField(line);
    if (selected == "0") continue;
    if (rollback && !rollback->InstalledThisRun(name)) continue;
    RemoveComponent(name, view, rollback);
  }

  if (!rollback) {
    std::string folder = EnsureTrailingBackslash(Exp("{InstallPath1}"));
    if (!folder.empty()) {
      DeleteFile(folder + "Karvo.dll");
      DeleteFile(folder + FileNameOfPath(GetScriptFile()));
      DeleteFile(folder + "Install.exe");
    }
    int destinations = ReadScriptInt("<Destinations>", "nItems");
    for (int i : ScriptListItems("<Destinations>", "InstallPath", 1, destinations)) {
      std::string path = Exp(ReadScriptString("<Destinations>", "InstallPath" + std::to_string(i)));
      // A destination that names a system folder keeps everything the product did not put there.
      if (path.empty() || IsProtectedFolder(path)) continue;
      // A folder that held something before the installation keeps what the product did
      // not put there: its files are gone by now, so only the folders left empty go.
      if (ReadScriptInt("<Destinations>", "PreExisting" + std::to_string(i)) == 1) {
        RemoveEmptyFolders(path);
        continue;
      }
      DelTree(path.c_str(), 1);
    }
    std::string productFolder = Exp("{ProductFolder}");
    if (!IsProtectedFolder(productFolder)) RemoveDirectory(productFolder);
    if (ReadScriptInt("<UserInfoWnd>", "SkipThis") == 0) {
      // The user information the installation stored is the product's only key of its own.
      DeleteKeyAndEmptyParents(kHkeyCurrentUser, Exp("Software\\{VendorName}\\{ProductName}\\UserInfo"), 2);
    }
    // Without a product name the key would be the Uninstall key itself, which on the 9x
    // family goes with every other product's entry; such a product was never registered.
    if (!Trim(Exp("{ProductName}")).empty())
      RegDeleteKey(kHkeyLocalMachine, Exp("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{ProductName}"));
  } else {
    // Only folders this run made, and only when nothing else is left in them.
    for (const std::string& folder : rollback->CreatedFolders())
      if (!IsProtectedFolder(folder)) RemoveDirectory(folder);
  }

  if (runLists) RunList("PostnItems", "Post", status);
  return true;
}

}  // namespace vx
