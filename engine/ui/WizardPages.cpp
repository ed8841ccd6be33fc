#include "engine/ui/WizardPages.h"

#include <algorithm>
#include <unordered_set>

#include "engine/base/Flags.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "engine/ui/LineBreaks.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::size_t kLongestFolderPath = 248;

std::string ExpandedKey(std::string_view section, std::string_view key) {
  std::string value = ReadScriptString(section, key);
  if (!value.empty()) ExpandFully(value);
  return value;
}

// The fields of a component list line: name, enabled flag, selected flag.
struct ListLine {
  std::string name, enabled, selected;
};
ListLine SplitListLine(std::string line) {
  ListLine l;
  l.name = NextField(line);
  l.enabled = NextField(line);
  l.selected = NextField(line);
  return l;
}

std::string ListKey(int i) { return std::to_string(i); }

std::string CurrentTypeOrDefault() {
  std::string t = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  return t.empty() ? "<CompListWnd>" : t;
}

}  // namespace

WelcomeContent LoadWelcomePage() {
  WelcomeContent c;
  c.text = FormatText(LoadText(TextId::WelcomeText), ReadScriptString("<General>", "ProductName"));
  c.warning = LoadText(TextId::CopyrightWarning);
  c.picture = ExpandedKey("<WelcomeWnd>", "ImgFileName");
  return c;
}

std::string LicenseCutNote() {
  return "\r\n\r\n[The license file is too long or is not plain text; only its beginning is "
         "shown.]";
}

AgreementContent LoadAgreementPage() {
  AgreementContent c;
  c.intro = LoadText(TextId::LicenseIntro);
  std::string name = ReadScriptString("<LicenseWnd>", "LicenseFile");
  if (name.empty()) {
    c.license = "No License file!";
    return c;
  }
  ExpandFully(name);
  FileHandle h = CreateFile(name, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) {
    c.license = "Failed to open License file!";
    return c;
  }
  std::int64_t size = GetFileSize(h);
  if (size > 0) {
    // One read of the whole file, up to a size a text control still shows at once; the
    // text stops at a NUL as a C string would.
    std::size_t shown = static_cast<std::size_t>(std::min<std::int64_t>(size, kLicenseShownBytes));
    std::string buffer(shown, '\0');
    std::uint32_t got = 0;
    ReadFile(h, buffer.data(), static_cast<std::uint32_t>(buffer.size()), &got);
    buffer.resize(got);
    std::size_t nul = buffer.find('\0');
    c.license = WithCrLfLineBreaks(std::string_view(buffer).substr(0, nul));
    // A file too long to show, or one that is no text, is shown cut, and says so.
    if (size > kLicenseShownBytes || nul != std::string::npos) c.license += LicenseCutNote();
  }
  CloseHandle(h);
  return c;
}

void UserInfoPage::Initialise() {
  std::string os = "{OS}";
  ExpandFully(os);
  const char* systemKey = os == "WINNT" ? "Software\\Microsoft\\Windows NT\\CurrentVersion"
                                        : "Software\\Microsoft\\Windows\\CurrentVersion";
  const char* askKeys[3] = {"AskUserName", "AskCompany", "AskEmail"};
  const TextId labels[3] = {TextId::UserName, TextId::UserCompany, TextId::UserEmail};
  const char* valueNames[3] = {"RegisteredOwner", "RegisteredOrganization", "UserEmail"};
  bool any = false;
  for (int i = 0; i < 3; ++i) {
    Field& f = fields[i];
    f.asked = ReadScriptInt("<UserInfoWnd>", askKeys[i]) == 1;
    f.valueName = valueNames[i];
    f.value.clear();
    if (!f.asked) continue;
    any = true;
    f.label = LoadText(labels[i]);
    // The e-mail field starts empty; the others take the machine's registered values.
    if (i < 2) ReadRegistryString(kHkeyLocalMachine, systemKey, valueNames[i], f.value);
  }
  groupText = any ? LoadText(TextId::UserInfoGroup) : "";
  picture = ExpandedKey("<UserInfoWnd>", "ImgFileName");
}

int UserInfoPage::Next() {
  std::string key = "Software\\{VendorName}\\{ProductName}\\UserInfo";
  ExpandFully(key);
  for (int i = 0; i < 3; ++i) {
    const Field& f = fields[i];
    if (!f.asked) continue;
    if (f.value.empty()) return i;
    WriteRegistryString(kHkeyCurrentUser, key, f.valueName, f.value);
  }
  return -1;
}

void SelectTypePage::Initialise() {
  int n = ReadScriptInt("<InstTypeListWnd>", "nItems");
  types.clear();
  for (int i : ScriptListItems("<InstTypeListWnd>", "", 0, n - 1))
    types.push_back(ReadScriptString("<InstTypeListWnd>", ListKey(i)));
  picture = ExpandedKey("<InstTypeListWnd>", "ImgFileName");
  Select(0);
}

void SelectTypePage::Select(int id) {
  if (id < 0 || id >= static_cast<int>(types.size())) return;
  selected = types[id];
  description = ExpandedKey(selected, "Description");
}

void SelectTypePage::Next() { WriteScriptString("<InstSummaryWnd>", "InstalledType", selected); }

std::string WithSelectedFlag(std::string line, bool selected) {
  while (!line.empty() && (line.back() == ' ' || (line.back() >= '\t' && line.back() <= '\r')))
    line.pop_back();
  // An empty line has no flag to set; leave it empty rather than invent one.
  if (!line.empty()) line.back() = selected ? '1' : '0';
  return line;
}

void ComponentPage::Activate() {
  std::string stored = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  section = stored.empty() ? "<CompListWnd>" : stored;
  if (stored.empty()) WriteScriptString("<InstSummaryWnd>", "InstalledType", section);
  int n = ReadScriptInt(section, "nItems");
  rows.clear();
  std::unordered_set<std::string> installed;  // upper case
  if (maintenance_) {
    int k = ReadScriptInt("InstalledComponents", "nItems");
    for (int i : ScriptListItems("InstalledComponents", "", 0, k - 1))
      installed.insert(
          winpath::ToUpper(ReadScriptString("InstalledComponents", std::to_string(i))));
  }
  for (int i : ScriptListItems(section, "", 0, n - 1)) {
    ListLine l = SplitListLine(ReadScriptString(section, ListKey(i)));
    Row r;
    r.key = i;
    r.name = l.name;
    r.enabled = l.enabled == "1";
    r.checked = l.selected == "1";
    r.disabledByUninstallAll = uninstallAll && r.enabled;
    r.installed = installed.count(winpath::ToUpper(r.name)) != 0;
    rows.push_back(r);
  }
  std::string img = ReadScriptString("<CompListWnd>", "ImgFileName");
  std::string temp = "{Temp}";
  ExpandFully(temp);
  picture = img.empty() ? "" : temp + img;
}

void ComponentPage::Click(int id) {
  int n = static_cast<int>(rows.size());
  int row = id < n ? id : id - kCtlItemLabelBase;
  description = (row >= 0 && row < n) ? ExpandedKey(rows[row].name, "Description") : "";
}

void ComponentPage::SetUninstallAll(bool checked) {
  uninstallAll = checked;
  for (Row& r : rows)
    if (r.enabled) r.disabledByUninstallAll = checked;
}

long long ComponentPage::TotalKilobytes() const {
  long long sum = 0;
  for (const Row& r : rows)
    if (r.checked && !r.installed) sum += ReadScriptInt(r.name, "ComponentSize");
  return (sum + 511) / 1024;
}

std::string ComponentPage::TotalText() const {
  return FormatText(LoadText(TextId::TotalDiskSpace), TotalKilobytes());
}

std::string ComponentPage::Listing() const {
  std::string text = LoadText(TextId::SelectComponents);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    text += "\n" + std::to_string(i) + ": [" + (r.checked ? "x" : " ") + "] " + r.name +
            (r.enabled ? "" : " (fixed)");
  }
  return text + "\n" + TotalText();
}

ComponentPage::NextResult ComponentPage::Next() {
  if (maintenance_ && uninstallAll) return NextResult::UninstallAll;
  ScriptKeys flags;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string key = ListKey(rows[i].key);
    flags.emplace_back(key, WithSelectedFlag(ReadScriptString(section, key), rows[i].checked));
  }
  WriteScriptStrings(section, flags);
  return NextResult::Proceed;
}

void SplitDrivePath(const std::string& p, std::string& drive, std::string& directory) {
  if (p.size() >= 3 && p[1] == ':' && p[2] == '\\') {
    drive = p.substr(0, 3);
    directory = p.substr(3);
  } else if (p.size() >= 2 && p[1] == ':') {
    drive = p.substr(0, 2) + "\\";
    directory = p.substr(2);
  } else {
    drive = "C:\\";
    directory = p;
  }
}

bool DestinationPage::Initialise() {
  drives.clear();
  std::uint32_t mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    std::string root = std::string(1, char('A' + i)) + ":\\";
    DriveType t = GetDriveType(root);
    if (t == DriveType::Fixed || t == DriveType::Remote) drives.push_back(root);
  }
  int n = ReadScriptInt("<Destinations>", "nItems");
  rows.clear();
  table.clear();
  filled = false;
  if (n > kDestinationRows) return false;
  for (int i = 1; i <= n; ++i) {
    std::string num = std::to_string(i);
    Row r;
    r.label = ReadScriptString("<Destinations>", "Description" + num);
    SplitDrivePath(ExpandedKey("<Destinations>", "InstallPath" + num), r.pathDrive, r.directory);
    // The drop-down selects by its text without regard to case ("c:\" selects "C:\").
    for (const std::string& d : drives)
      if (winpath::EqualsNoCase(d, r.pathDrive)) r.drive = d;
    r.editable = ReadScriptInt("<Destinations>", "PathEditable" + num) == 1;
    rows.push_back(r);
  }
  for (const std::string& d : drives) {
    DriveRow dr;
    dr.drive = d;
    GetDiskFreeSpace(d, &dr.freeBytes, &dr.totalBytes);
    table.push_back(dr);
  }
  filled = true;
  return true;
}

void DestinationPage::Activate() {
  type_ = ReadScriptString("<InstSummaryWnd>", "InstalledType");
  int destinations = ReadScriptInt("<Destinations>", "nItems");
  std::vector<std::string> locations = {"{Windows}", "{Temp}"};
  for (int d : ScriptListItems("<Destinations>", "InstallPath", 1, destinations))
    locations.push_back("{InstallPath" + std::to_string(d) + "}");
  // Where each location lies, expanded once per activation.
  std::vector<std::string> locationDrive;
  for (const std::string& l : locations) {
    std::string expanded = l, drive, dir;
    ExpandFully(expanded);
    SplitDrivePath(expanded, drive, dir);
    locationDrive.push_back(drive);
  }
  const std::vector<int> lines = ScriptListItems(type_, "", 0, ReadScriptInt(type_, "nItems") - 1);
  for (DriveRow& row : table) {
    long long sum = 0;
    for (int i : lines) {
      ListLine l = SplitListLine(ReadScriptString(type_, ListKey(i)));
      if (l.selected == "0") continue;
      for (std::size_t k = 0; k < locations.size(); ++k)
        if (winpath::EqualsNoCase(locationDrive[k], row.drive))
          sum += ReadScriptInt(l.name, locations[k]);
    }
    row.requiredKb = (sum + 511) / 1024;
  }
}

void DestinationPage::ChangeDrive(std::size_t row, const std::string& drive) {
  if (row >= rows.size()) return;
  rows[row].drive = drive;
  WriteBack();
  Activate();
}

bool SoundDestinationDirectory(const std::string& directory) {
  if (directory.find_first_of("<>:\"|?*") != std::string::npos) return false;
  // Every ".." must stay within the drive (or the share of a network path).
  std::size_t start = 0;
  int depth = 0;
  bool network = directory.rfind("\\\\", 0) == 0;
  int rootParts = network ? 2 : 0;
  while (start <= directory.size()) {
    std::size_t end = directory.find_first_of("\\/", start);
    if (end == std::string::npos) end = directory.size();
    std::string part = directory.substr(start, end - start);
    if (!part.empty() && part != ".") {
      if (rootParts > 0)
        --rootParts;
      else if (part == "..") {
        if (--depth < 0) return false;
      } else {
        ++depth;
      }
    }
    start = end + 1;
  }
  return true;
}

std::string DestinationPage::UnsoundPath() const {
  if (!filled) return "";
  for (const Row& r : rows) {
    // A path the user cannot change is the script's; refusing it would lock the page.
    if (!r.editable) continue;
    std::string dir = Trim(r.directory);
    std::string path = (r.drive.empty() ? r.pathDrive : r.drive) + dir;
    // Windows makes no folder whose path leaves no room for an 8.3 name below MAX_PATH.
    if (!SoundDestinationDirectory(dir) || path.size() > kLongestFolderPath) return path;
  }
  return "";
}

void DestinationPage::WriteBack() {
  if (!filled) return;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    // A drive the list does not offer has no selection; the path keeps the drive it had
    // rather than becoming a relative path.
    std::string drive = rows[i].drive.empty() ? rows[i].pathDrive : rows[i].drive;
    std::string dir = Trim(rows[i].directory);
    // A network path ("\\server\share") has no drive: joining one would move it to a
    // local folder.
    if (dir.rfind("\\\\", 0) == 0)
      drive.clear();
    else if (!dir.empty() && dir[0] == '\\')
      drive = drive.substr(0, 2);
    WriteScriptString("<Destinations>", "InstallPath" + std::to_string(i + 1), drive + dir);
  }
}

int DestinationPage::EmptyDirectoryRow() const {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].editable && Trim(rows[i].directory).empty()) return static_cast<int>(i);
  }
  return -1;
}

std::string ReviewText() {
  std::string type = CurrentTypeOrDefault();
  std::string label = (type == "<CompListWnd>" ? std::string("Default Type") : type) + "\r\n";
  std::string components;
  for (int i : ScriptListItems(type, "", 0, ReadScriptInt(type, "nItems") - 1)) {
    ListLine l = SplitListLine(ReadScriptString(type, ListKey(i)));
    if (l.selected == "1") components += l.name + "\r\n\t";
  }
  std::string paths;
  int d = ReadScriptInt("<Destinations>", "nItems");
  for (int i : ScriptListItems("<Destinations>", "InstallPath", 1, d))
    paths += ReadScriptString("<Destinations>", "InstallPath" + std::to_string(i)) + "\r\n\t";
  // Three %s in order; filled one at a time so that a % in a value is never read as a format.
  std::string text = LoadText(TextId::SummaryText);
  std::string out;
  const std::string* args[3] = {&label, &components, &paths};
  int next = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && next < 3) {
      out += *args[next++];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

CompletionContent LoadCompletionPage() {
  CompletionContent c;
  // Only a run that leaves a restart to do says that one is needed.
  c.text =
      LoadText(Flags().restartPending || Flags().restartRequested ? TextId::RebootNeeded
                                                                  : TextId::CompletedNoRestart);
  c.more = ExpandedKey("<CompletionWnd>", "MoreInstruct");
  c.picture = ExpandedKey("<CompletionWnd>", "ImgFileName");
  return c;
}

}  // namespace vx
