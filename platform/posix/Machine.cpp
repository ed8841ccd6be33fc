// The machine directory: settings, drive table and the mapping of Windows paths to host paths.
#include "platform/Machine.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/Registry.h"
#include "platform/Types.h"
#include "platform/WinPath.h"
#include "platform/posix/CurrentDir.h"
#include "platform/posix/DirIndex.h"
#include "platform/posix/RegistrySeed.h"
#include "platform/posix/ShellFolders.h"
#include "platform/Trim.h"

namespace vx {

namespace posix {
void (*registrySeeder)(Machine&) = nullptr;
}  // namespace posix

namespace fs = std::filesystem;

// Resolved lookups that needed a directory scan, keyed by the upper-cased Windows path. An
// entry is used only while its host path still exists; exact-case paths never get here
// because one stat finds them first.
// Beside them, the host form of every folder resolved whole, keyed the same way: the files an
// installation creates in one folder then cost a look into that folder, not a walk from the
// drive root. A folder entry is dropped as soon as its host folder is found missing.
struct PathCache {
  std::mutex mu;
  std::unordered_map<std::string, std::string> entries;
  std::unordered_map<std::string, std::string> folders;
  static constexpr std::size_t kMaxEntries = 4096;
};

namespace {

thread_local int systemScopeDepth = 0;

bool Exists(const std::string& hostPath) {
  struct stat st;
  return ::lstat(hostPath.c_str(), &st) == 0;
}

std::string HostUserName() {
  if (struct passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name) {
    return pw->pw_name;
  }
  if (const char* u = ::getenv("USER"); u && *u) return u;
  return "User";
}

std::string HomeDir() {
  if (const char* h = ::getenv("HOME"); h && *h == '/') return h;
  if (struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir == '/') {
    return pw->pw_dir;
  }
  return "/tmp";
}

// Textual folding of a host absolute path: "//", "." and ".." (never above "/").
std::string FoldHostPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t cut = path.find('/', i);
    if (cut == std::string_view::npos) cut = path.size();
    std::string_view part = path.substr(i, cut - i);
    i = cut + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (auto p : parts) {
    out.push_back('/');
    out.append(p);
  }
  return out.empty() ? "/" : out;
}

// machine.ini is read here, not through the profile service: the profile service itself
// needs a machine to find its files. It keeps its own small grammar rather than the profile
// one (platform/ProfileParse.h) because it is this program's own configuration, not a Windows
// profile: it takes "#" comments, keeps quotes in values (host paths), and a repeated section
// adds to the first instead of being ignored; the Windows rules would change what existing
// machine.ini files mean.
struct IniData {
  // upper-cased "SECTION\nKEY" -> value; the first key of a name wins, as everywhere.
  std::unordered_map<std::string, std::string> values;
  std::vector<std::pair<std::string, std::string>> drives;  // in file order, first wins
};

IniData ParseIni(const std::string& text) {
  IniData ini;
  std::string section;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string t = std::string(TrimSpacesAndTabs(line));
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      std::size_t close = t.find(']');
      section = winpath::ToUpper(std::string(
          TrimSpacesAndTabs(t.substr(1, close == std::string::npos ? t.npos : close - 1))));
      continue;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string::npos || section.empty()) continue;
    std::string key = std::string(TrimSpacesAndTabs(t.substr(0, eq)));
    std::string value = std::string(TrimSpacesAndTabs(t.substr(eq + 1)));
    if (section == "DRIVES") {
      bool seen = std::any_of(ini.drives.begin(), ini.drives.end(),
                              [&](auto& d) { return winpath::EqualsNoCase(d.first, key); });
      if (!seen) ini.drives.emplace_back(key, value);
    }
    ini.values.emplace(section + "\n" + winpath::ToUpper(key), value);
  }
  return ini;
}

const std::string* IniValue(const IniData& ini, const char* section, const char* key) {
  auto it = ini.values.find(std::string(section) + "\n" + key);
  return it == ini.values.end() ? nullptr : &it->second;
}

std::optional<bool> ParseFlag(std::string_view v) {
  std::string u = winpath::ToUpper(v);
  if (u == "1" || u == "YES" || u == "TRUE" || u == "ON") return true;
  if (u == "0" || u == "NO" || u == "FALSE" || u == "OFF") return false;
  return std::nullopt;
}

std::optional<PlatformKind> ParsePlatform(std::string_view v) {
  std::string u = winpath::ToUpper(v);
  if (u == "NT" || u == "WINNT") return PlatformKind::NT;
  if (u == "9X" || u == "WIN9X" || u == "95" || u == "98" || u == "WIN95" || u == "WIN98") {
    return PlatformKind::Win9x;
  }
  return std::nullopt;
}

DriveType ParseDriveType(std::string_view v) {
  std::string u = winpath::ToUpper(v);
  if (u == "FIXED") return DriveType::Fixed;
  if (u == "NETWORK" || u == "REMOTE") return DriveType::Remote;
  if (u == "CDROM" || u == "CD-ROM" || u == "CD") return DriveType::CdRom;
  if (u == "REMOVABLE") return DriveType::Removable;
  if (u == "RAMDISK" || u == "RAM") return DriveType::RamDisk;
  return DriveType::Unknown;
}

std::string DefaultIniText(const std::string& user, bool admin) {
  std::string t;
  t += "; The emulated Windows machine. Platform: NT or 9x. Admin: 1 or 0.\r\n";
  t += "; Drives: LETTER=type,folder with type fixed, network, cdrom, removable or unknown;\r\n";
  t += "; the folder is relative to this directory unless absolute. LETTER= removes a drive.\r\n";
  t += "[Machine]\r\n";
  t += "Platform=NT\r\n";
  t += "User=" + user + "\r\n";
  t += std::string("Admin=") + (admin ? "1" : "0") + "\r\n";
  t += "\r\n[Drives]\r\n";
  t += "C=fixed,drive_c\r\n";
  t += "Z=unknown,/\r\n";
  return t;
}

bool WriteWhole(const std::string& path, const std::string& text) {
  std::string tmp = path + ".tmp." + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      ::unlink(tmp.c_str());
      return false;
    }
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

bool ReadWhole(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return false;
  text = ss.str();
  return true;
}

void AppendHost(std::string& host, std::string_view part) {
  if (host.empty() || host.back() != '/') host.push_back('/');
  host.append(part);
}

// ---- the current machine ---------------------------------------------------------------

std::mutex currentMu;
std::atomic<Machine*> current{nullptr};
// Every machine ever made current stays alive: other threads may still hold references.
std::vector<std::unique_ptr<Machine>>& AllMachines() {
  static auto* all = new std::vector<std::unique_ptr<Machine>>();
  return *all;
}

}  // namespace

struct MachineLoader {
  static std::unique_ptr<Machine> Empty(const std::string& dir) {
    std::unique_ptr<Machine> m(new Machine());
    m->dir_ = dir;
    m->user_ = HostUserName();
    m->admin_ = ::geteuid() == 0;
    return m;
  }

  static void Configure(Machine& m, const IniData& ini) {
    m.user_ = HostUserName();
    m.admin_ = ::geteuid() == 0;
    if (auto* v = IniValue(ini, "MACHINE", "PLATFORM")) {
      if (auto p = ParsePlatform(*v)) m.platform_ = *p;
    }
    if (auto* v = IniValue(ini, "MACHINE", "USER"); v && !v->empty()) m.user_ = *v;
    if (auto* v = IniValue(ini, "MACHINE", "ADMIN")) {
      if (auto f = ParseFlag(*v)) m.admin_ = *f;
    }
    std::vector<std::pair<std::string, std::string>> specs = ini.drives;
    auto has = [&](char letter) {
      return std::any_of(specs.begin(), specs.end(), [&](auto& d) {
        return d.first.size() == 1 && winpath::ToUpper(d.first[0]) == letter;
      });
    };
    if (!has('C')) specs.emplace_back("C", "fixed,drive_c");
    if (!has('Z')) specs.emplace_back("Z", "unknown,/");
    for (auto& [key, value] : specs) {
      if (key.size() != 1) continue;
      char letter = winpath::ToUpper(key[0]);
      if (letter < 'A' || letter > 'Z' || m.Drive(letter)) continue;
      std::size_t comma = value.find(',');
      DriveType type = DriveType::Fixed;
      std::string folder = value;
      if (comma != std::string::npos) {
        type = ParseDriveType(std::string(TrimSpacesAndTabs(value.substr(0, comma))));
        folder = std::string(TrimSpacesAndTabs(value.substr(comma + 1)));
      }
      if (folder.empty()) continue;  // "D=" unmaps the drive
      std::string root = folder[0] == '/' ? folder : m.dir_ + "/" + folder;
      m.drives_.push_back(DriveInfo{letter, type, FoldHostPath(root)});
    }
    // In letter order. A few drives need no general sort, whose code every program carries.
    std::vector<DriveInfo> ordered;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      for (DriveInfo& d : m.drives_)
        if (d.letter == letter) ordered.push_back(std::move(d));
    }
    m.drives_ = std::move(ordered);
  }

  static void ResolveRoots(Machine& m) {
    m.realRoots_.clear();
    for (auto& d : m.drives_) {
      char* real = ::realpath(d.hostRoot.c_str(), nullptr);
      m.realRoots_.push_back(real ? std::string(real) : d.hostRoot);
      ::free(real);
    }
  }

  // Folders a fresh Windows installation has; cheap to repeat, so done at every open.
  static void CreateStandardFolders(Machine& m, const std::string& relativeDrives) {
    std::error_code ec;
    fs::create_directories(m.LockDir(), ec);
    for (auto& d : m.drives_) {
      if (relativeDrives.find(d.letter) != std::string::npos)
        fs::create_directories(d.hostRoot, ec);
    }
    if (!m.Drive('C')) return;
    std::vector<std::string> folders = {"C:\\Windows", "C:\\Windows\\Temp", "C:\\Program Files"};
    folders.push_back(m.platform_ == PlatformKind::NT ? "C:\\Windows\\System32"
                                                      : "C:\\Windows\\System");
    for (int csidl : posix::kKnownShellFolders) {
      folders.push_back(posix::ShellFolderPath(m.platform_, m.user_, csidl));
    }
    for (auto& w : folders) {
      if (auto host = m.ToHost(w)) fs::create_directories(*host, ec);
    }
  }

  static bool TakeSeed(Machine& m) { return std::exchange(m.needsSeed_, false); }
};

Machine::Machine() : cache_(std::make_unique<PathCache>()) {}
Machine::~Machine() = default;

bool Machine::IsAdmin() const { return admin_ || systemScopeDepth > 0; }

Machine::SystemScope::SystemScope() { ++systemScopeDepth; }
Machine::SystemScope::~SystemScope() { --systemScopeDepth; }

std::string Machine::DefaultDir() {
  const char* xdg = ::getenv("XDG_DATA_HOME");
  std::string base = (xdg && *xdg == '/') ? std::string(xdg) : HomeDir() + "/.local/share";
  return base + "/vx-installer/machine";
}

std::unique_ptr<Machine> Machine::Open(const std::string& dirIn) {
  if (dirIn.empty()) return nullptr;
  std::error_code ec;
  std::string dir = FoldHostPath(fs::absolute(dirIn, ec).string());
  if (ec) return nullptr;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec)) return nullptr;

  std::string iniPath = dir + "/machine.ini";
  if (!Exists(iniPath)) {
    if (!WriteWhole(iniPath, DefaultIniText(HostUserName(), ::geteuid() == 0))) return nullptr;
  }
  std::string text;
  if (!ReadWhole(iniPath, text)) return nullptr;
  IniData ini = ParseIni(text);

  std::unique_ptr<Machine> m(new Machine());
  m->dir_ = dir;
  MachineLoader::Configure(*m, ini);
  MachineLoader::ResolveRoots(*m);
  std::string relativeDrives;
  for (auto& [key, value] : ini.drives) {
    std::size_t comma = value.find(',');
    std::string folder = std::string(
        TrimSpacesAndTabs(comma == std::string::npos ? value : value.substr(comma + 1)));
    if (key.size() == 1 && !folder.empty() && folder[0] != '/') {
      relativeDrives.push_back(winpath::ToUpper(key[0]));
    }
  }
  if (!IniValue(ini, "DRIVES", "C")) relativeDrives.push_back('C');
  m->needsSeed_ = !Exists(m->RegistryFile());
  MachineLoader::CreateStandardFolders(*m, relativeDrives);
  MachineLoader::ResolveRoots(*m);  // drive folders may exist only now
  return m;
}

namespace {

// A program that never touches the registry does not link it (nor its database): the
// registry's own code installs the seeding when it is part of the program. A machine opened
// by such a program is seeded by the first one that does use the registry.
void SeedRegistry(Machine& m) {
  if (posix::registrySeeder != nullptr) posix::registrySeeder(m);
}

Machine* Install(std::unique_ptr<Machine> m, bool* seed) {
  Machine* raw = m.get();
  *seed = MachineLoader::TakeSeed(*m);
  AllMachines().push_back(std::move(m));
  current.store(raw, std::memory_order_release);
  return raw;
}

std::unique_ptr<Machine> OpenOrEmpty(const std::string& dir) {
  auto m = Machine::Open(dir);
  if (!m) {
    std::fprintf(stderr, "vx: cannot open the machine directory %s\n", dir.c_str());
    m = MachineLoader::Empty(dir);
  }
  return m;
}

}  // namespace

Machine& Machine::Current() {
  if (Machine* m = current.load(std::memory_order_acquire)) return *m;
  Machine* m = nullptr;
  bool seed = false;
  {
    std::lock_guard<std::mutex> lock(currentMu);
    m = current.load(std::memory_order_acquire);
    if (!m) {
      const char* env = ::getenv("VX_MACHINE");
      std::string dir = (env && *env) ? std::string(env) : DefaultDir();
      m = Install(OpenOrEmpty(dir), &seed);
    }
  }
  // Outside the lock: seeding uses the registry, which asks for the current machine itself
  // (and always does so before taking a lock of its own).
  if (seed) SeedRegistry(*m);
  return *m;
}

void Machine::SetCurrent(const std::string& dir) {
  auto opened = OpenOrEmpty(dir);
  Machine* m = nullptr;
  bool seed = false;
  {
    std::lock_guard<std::mutex> lock(currentMu);
    m = Install(std::move(opened), &seed);
  }
  posix::ResetCurrentDirectory();
  posix::ClearDirIndex();
  if (seed) SeedRegistry(*m);
}

const DriveInfo* Machine::Drive(char letter) const {
  letter = winpath::ToUpper(letter);
  for (auto& d : drives_) {
    if (d.letter == letter) return &d;
  }
  return nullptr;
}

std::string Machine::RegistryFile() const { return dir_ + "/registry.db"; }
std::string Machine::LockDir() const { return dir_ + "/locks"; }

std::optional<std::string> Machine::ToHost(std::string_view winPath, bool* absent) const {
  if (absent) *absent = false;
  if (winPath.find('\0') != std::string_view::npos) return std::nullopt;
  std::string abs;
  if (!posix::AbsoluteWindowsPath(winPath, abs)) return std::nullopt;
  if (winpath::HasInvalidCharacters(abs)) return std::nullopt;
  const DriveInfo* drive = Drive(abs[0]);
  if (!drive) return std::nullopt;

  std::vector<std::string_view> parts;
  std::string_view rest = std::string_view(abs).substr(3);
  while (!rest.empty()) {
    std::size_t cut = rest.find('\\');
    parts.push_back(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }

  std::string literal = drive->hostRoot;
  for (auto p : parts) AppendHost(literal, p);
  if (parts.empty()) return literal;

  std::string key = winpath::ToUpper(abs);
  const std::string folderKey = key.substr(0, key.find_last_of('\\'));
  std::optional<std::string> knownFolder;
  if (parts.size() > 1) {
    std::lock_guard<std::mutex> lock(cache_->mu);
    auto f = cache_->folders.find(folderKey);
    if (f != cache_->folders.end()) knownFolder = f->second;
  }
  // A folder spelled as stored whose names are indexed answers in one look, for a name new
  // to it (the usual case while installing) as well as for one in another case.
  const std::string_view leafName = parts.back();
  if (knownFolder && literal.size() == knownFolder->size() + 1 + leafName.size() &&
      literal.compare(0, knownFolder->size(), *knownFolder) == 0) {
    bool answered = false, folderMissing = false;
    auto actual = posix::FindNoCaseIfIndexed(*knownFolder, leafName, &answered, &folderMissing);
    if (answered && actual) {
      std::string host = *knownFolder;
      AppendHost(host, *actual);
      return host;
    }
    if (answered && !folderMissing) {
      if (absent) *absent = true;
      return literal;
    }
  }

  // Fast path: the path exists exactly as written.
  if (Exists(literal)) return literal;
  {
    std::lock_guard<std::mutex> lock(cache_->mu);
    auto it = cache_->entries.find(key);
    if (it != cache_->entries.end()) {
      if (Exists(it->second)) return it->second;
      cache_->entries.erase(it);
    }
  }
  if (knownFolder) {
    // The folder is known; only the last name needs its case, the folder its existence.
    std::string_view leaf = parts.back();
    std::string host = *knownFolder;
    AppendHost(host, leaf);
    if (host == literal || !Exists(host)) {
      bool folderMissing = false;
      if (auto actual = posix::FindNoCase(*knownFolder, leaf, &folderMissing)) {
        host = *knownFolder;
        AppendHost(host, *actual);
        return host;
      }
      if (!folderMissing) {  // a new name in a folder that is there
        if (absent) *absent = true;
        return host;
      }
      std::lock_guard<std::mutex> lock(cache_->mu);
      cache_->folders.erase(folderKey);
    } else {
      return host;
    }
  }

  // Every folder of a new path is checked from the deepest one already resolved: a new
  // folder of an installation usually lies in one that an earlier file resolved.
  std::size_t start = 0;
  std::string host = drive->hostRoot;
  if (parts.size() > 2) {
    std::lock_guard<std::mutex> lock(cache_->mu);
    for (std::size_t depth = parts.size() - 1; depth-- > 1;) {
      const auto end = static_cast<std::size_t>(parts[depth].data() - abs.data()) - 1;
      auto f = cache_->folders.find(key.substr(0, end));
      if (f != cache_->folders.end()) {
        start = depth;
        host = f->second;
        break;
      }
    }
  }
  std::string folderHost;
  bool missing = false;
  for (std::size_t i = start; i < parts.size(); ++i) {
    std::string_view p = parts[i];
    if (i + 1 == parts.size() && !missing) folderHost = host;
    if (missing) {
      AppendHost(host, p);
      continue;
    }
    std::size_t before = host.size();
    AppendHost(host, p);
    if (Exists(host)) continue;
    std::string parent = host.substr(0, before == 0 ? 1 : before);
    bool parentMissing = false;
    if (auto actual = posix::FindNoCase(parent, p, &parentMissing)) {
      host.resize(before);
      AppendHost(host, *actual);
    } else if (parentMissing && i == start && start != 0) {
      // The remembered folder is gone: resolve the path from the drive's root instead.
      {
        std::lock_guard<std::mutex> lock(cache_->mu);
        cache_->folders.clear();
      }
      return ToHost(winPath, absent);
    } else {
      missing = true;  // the rest keeps the case given
    }
  }
  std::lock_guard<std::mutex> lock(cache_->mu);
  if (!missing) {
    if (cache_->entries.size() >= PathCache::kMaxEntries) cache_->entries.clear();
    cache_->entries[key] = host;
  }
  if (parts.size() > 1 && !folderHost.empty()) {
    if (cache_->folders.size() >= PathCache::kMaxEntries) cache_->folders.clear();
    cache_->folders[folderKey] = folderHost;
  }
  return host;
}

std::optional<std::string> Machine::ToWindows(std::string_view hostPath) const {
  if (hostPath.empty() || hostPath[0] != '/') return std::nullopt;
  std::string path = FoldHostPath(hostPath);
  std::size_t bestLen = 0;
  const DriveInfo* best = nullptr;
  std::string_view bestRest;
  auto consider = [&](const DriveInfo& d, const std::string& root) {
    std::string_view p = path;
    std::string_view rest;
    if (root == "/") {
      rest = p.substr(1);
    } else if (p == root) {
      rest = {};
    } else if (p.size() > root.size() && p.compare(0, root.size(), root) == 0 &&
               p[root.size()] == '/') {
      rest = p.substr(root.size() + 1);
    } else {
      return;
    }
    if (!best || root.size() > bestLen) {
      best = &d;
      bestLen = root.size();
      bestRest = rest;
    }
  };
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    consider(drives_[i], drives_[i].hostRoot);
    if (i < realRoots_.size() && realRoots_[i] != drives_[i].hostRoot) {
      consider(drives_[i], realRoots_[i]);
    }
  }
  if (!best) return std::nullopt;
  // A host name holding a backslash has no Windows spelling.
  if (bestRest.find('\\') != std::string_view::npos) return std::nullopt;
  std::string out;
  out.push_back(best->letter);
  out += ":\\";
  for (char c : bestRest) out.push_back(c == '/' ? '\\' : c);
  return out;
}

std::string Machine::FromOutside(std::string_view path) const {
  if (path.empty()) return std::string(path);
  if (path[0] == '/') {
    auto w = ToWindows(path);
    return w ? *w : std::string(path);
  }
  if (winpath::DriveLetter(path) || path[0] == '\\') {
    std::string abs;
    return posix::AbsoluteWindowsPath(path, abs) ? abs : std::string(path);
  }
  std::string cwd;
  if (char* c = ::getcwd(nullptr, 0)) {
    cwd = c;
    ::free(c);
  } else {
    return std::string(path);
  }
  std::string rel(path);
  std::replace(rel.begin(), rel.end(), '\\', '/');
  auto w = ToWindows(cwd + "/" + rel);
  return w ? *w : std::string(path);
}

}  // namespace vx
