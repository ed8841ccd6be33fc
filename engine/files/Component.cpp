#include "engine/ui/InterfaceWait.h"
#include "engine/files/Component.h"

#include <algorithm>

#include "engine/actions/ActionLine.h"
#include "engine/actions/RestartSchedule.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/RunJournal.h"
#include "engine/base/RunReport.h"
#include "engine/base/Store.h"
#include "engine/files/FileCopy.h"
#include "engine/files/PackageReader.h"
#include "engine/files/Shortcut.h"
#include "engine/ui/Ui.h"
#include "engine/files/CountJournal.h"
#include "library/Karvo.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

void SetHeading(ComponentContext& c, const std::string& text) {
  if (c.progress) c.progress->SetHeading(text);
}
void SetDetail(ComponentContext& c, const std::string& text) {
  if (c.progress) c.progress->SetDetail(text);
}
void SetPosition(ComponentContext& c, int percent) {
  if (c.progress) c.progress->SetPosition(percent);
}

// Counts come from the script: the product is taken in 64 bits.
int Percent(long long done, long long total) {
  return total > 0 ? static_cast<int>(done * 100 / total) : 0;
}

bool Stopped(ComponentContext& c) { return c.checkStop && c.checkStop(); }

// The shortcut file a shortcut line names: folder + name + ".lnk", expanded.
std::string ShortcutPath(std::string line) {
  ExpandFully(line);
  std::string name = NextField(line);
  for (int i = 0; i < 4; ++i) NextField(line);
  std::string folder = EnsureTrailingBackslash(NextField(line));
  return folder + name + ".lnk";
}

struct FileLine {
  std::string name, folder, source, shared;
};
FileLine SplitFileLine(std::string line) {
  FileLine f;
  f.name = NextField(line);
  f.folder = NextField(line);
  if (!f.folder.empty()) f.folder = EnsureTrailingBackslash(f.folder);
  f.source = NextField(line);
  if (!f.source.empty()) f.source = EnsureTrailingBackslash(f.source);
  f.shared = NextField(line);
  return f;
}

// Relative source folders are taken from the folder the engine was started from.
std::string SourceFolderOf(const std::string& field) {
  bool absolute = field.size() >= 2 && (field[1] == ':' || field[0] == '\\');
  return absolute ? field : Folders().source + field;
}

// True when an installation of this product that is still in place (its installed script in
// the first destination, other than the working copy) already counts the shared file at
// `path`: one of its installed components has a shared file line for it. Installing the
// product over itself must not count the file a second time.
bool CountedByInstalledProduct(const std::string& path) {
  std::string script = EnsureTrailingBackslash(ReadScriptString("<Destinations>", "InstallPath1"));
  ExpandFully(script);
  if (script.empty()) return false;
  script += ReadScriptString("<General>", "ProjectName") + ".inf";
  if (winpath::EqualsNoCase(script, GetScriptFile()) || !FileExists(script)) return false;
  const int components = ReadIniInt("InstalledComponents", "nItems", script);
  for (int c : IniListItems("InstalledComponents", "", 0, components - 1, script)) {
    const std::string name = ReadIniString("InstalledComponents", std::to_string(c), script);
    if (name.empty()) continue;
    const int n = ReadIniInt(name, "nItems", script);
    for (int i : IniListItems(name, "", 0, n - 1, script)) {
      std::string line = ReadIniString(name, std::to_string(i), script);
      ExpandFully(line);
      if (IsEvent(line.c_str())) continue;
      FileLine f = SplitFileLine(line);
      if (f.shared == "1" && winpath::EqualsNoCase(f.folder + f.name, path)) return true;
    }
  }
  return false;
}

}  // namespace

std::string InstalledTypeSection() { return ReadScriptString("<InstSummaryWnd>", "InstalledType"); }

std::string ComponentNameAt(int index) {
  std::string line = ReadScriptString(InstalledTypeSection(), std::to_string(index));
  return NextField(line);
}

std::vector<std::string> InstalledComponentNames() {
  std::vector<std::string> names;
  int n = ReadScriptInt("InstalledComponents", "nItems");
  for (int i : ScriptListItems("InstalledComponents", "", 0, n - 1))
    names.push_back(ReadScriptString("InstalledComponents", std::to_string(i)));
  return names;
}

bool IsComponentInstalled(const std::string& name) {
  auto names = InstalledComponentNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

void WriteInstalledComponents(const std::vector<std::string>& names) {
  WriteScriptString("InstalledComponents", nullptr, nullptr);
  ScriptKeys keys{{"nItems", std::to_string(names.size())}};
  for (std::size_t i = 0; i < names.size(); ++i) keys.emplace_back(std::to_string(i), names[i]);
  WriteScriptStrings("InstalledComponents", keys);
}

bool InstallComponent(int index, ComponentContext& c) {
  const std::string section = ComponentNameAt(index);
  LogStep("component", "install " + section);
  SetFailureContext("component " + section);
  struct ContextEnd {
    ~ContextEnd() { SetFailureContext(""); }
  } contextEnd;
  SetHeading(c, section);
  PacedPause(1200);
  const int n = ReadScriptInt(section, "nItems");

  if (c.package.packageMode) {
    // The first file line (judged on the line as stored) names the component's first record.
    for (int i : ScriptListItems(section, "", 0, n - 1)) {
      std::string stored = ReadScriptString(section, std::to_string(i));
      if (IsEvent(stored.c_str())) continue;
      if (!SeekComponentRecord(c.package, index, i, ReadScriptInt(section, "StartDisk"))) {
        NoteFailure("its first record is not where the package index puts it (damaged package)");
        return false;
      }
      break;
    }
  }

  // Recorded before any item runs, so that a rollback also takes back a half-installed one.
  Journal().ComponentInstalled(section);
  const std::string& temp = Folders().temp;
  std::vector<std::string> deleteAtRestart;
  bool ok = true;
  StatusDisplay status = [&c](const std::string& description) {
    SetHeading(c, description);
    SetDetail(c, "");
  };
  const std::vector<int> items = ScriptListItems(section, "", 0, n - 1);
  for (int k = 0; k < static_cast<int>(items.size()); ++k) {
    const int i = items[k];
    if (Stopped(c)) {
      ok = false;
      break;
    }
    std::string line = ReadScriptString(section, std::to_string(i));
    ExpandFully(line);
    if (IsEvent(line.c_str())) {
      RunActionLine(line, status);
      if (Flags().pauseKeySignal.load() == -1) {
        // Left or Up at a key wait steps the list back.
        Flags().pauseKeySignal = 0;
        const int back = std::max(i - 3, 0);
        SetPosition(c, Percent(back + 1, n));
        k = static_cast<int>(std::lower_bound(items.begin(), items.end(), back) - items.begin());
        --k;  // the loop's increment brings it back to the chosen item
        continue;
      }
    } else {
      FileLine f = SplitFileLine(line);
      std::string destination = f.folder + f.name;
      SetDetail(c, destination);
      if (f.folder == temp) deleteAtRestart.push_back(destination);
      bool absent = false;
      if (!Journal().BeforeWrite(destination, &absent)) {
        NoteFailure("cannot note " + destination +
                    " in the installation journal (is the disk full?)");
        ok = false;
        break;
      }
      bool counted = true;
      if (c.package.packageMode) {
        // Nothing there to ask about or to find in use: the checks would only look again.
        ok = ExtractRecord(c.package, destination, /*skipChecks=*/absent);
      } else {
        CopyResult r = PlainCopy(SourceFolderOf(f.source), f.folder, f.name);
        ok = r != CopyResult::Failed;
        counted = r == CopyResult::Copied;
      }
      LogStep("file", destination + (ok ? counted ? " installed" : " kept" : " failed"));
      if (!ok) {
        NoteFailure("file " + destination + " could not be installed");
        break;
      }
      if (!counted) continue;
      Journal().Installed(destination);
      if (f.shared == "1" && !CountedByInstalledProduct(destination)) {
        RaiseSharedFileCount(destination);
        Journal().SharedCountRaised(destination);
      }
    }
    SetPosition(c, Percent(i + 1, n));
  }
  if (!ok) return false;

  SetPosition(c, 0);
  SetDetail(c, "");
  PacedPause(1000);

  const int icons = ReadScriptInt(section, "nIcons");
  for (int j : ScriptListItems(section, "Icon", 0, icons - 1)) {
    if (Stopped(c)) {
      ok = false;
      break;
    }
    std::string line = ReadScriptString(section, "Icon" + std::to_string(j));
    if (!Journal().BeforeWrite(ShortcutPath(line))) {
      NoteFailure("cannot note " + ShortcutPath(line) +
                  " in the installation journal (is the disk full?)");
      ok = false;
      break;
    }
    CreateShortcut(line);
    Journal().Installed(ShortcutPath(line));
    SetPosition(c, Percent(j + 1, icons));
  }
  ScheduleAtRestart(deleteAtRestart, "");
  return ok;
}

}  // namespace vx
