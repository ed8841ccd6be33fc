// Find-first/next over one folder. The folder is read once when the search starts; each
// entry's status is taken when it is handed out, so an entry removed meanwhile is skipped.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Files.h"
#include "platform/WinPath.h"
#include "platform/posix/CurrentDir.h"
#include "platform/posix/DirIndex.h"
#include "platform/posix/FileCommon.h"

namespace vx {

namespace {

struct Search {
  std::string hostDir;
  std::vector<std::string> names;
  std::size_t next = 0;
};

std::mutex findMu;
FindHandle nextId = 1;
std::map<FindHandle, Search>& Searches() {
  static auto* searches = new std::map<FindHandle, Search>();
  return *searches;
}

// A host name that a Windows path can spell.
bool Spellable(std::string_view name) {
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || ch == '\\' || ch == ':' || ch == '*' || ch == '?' || ch == '"' || ch == '<' ||
        ch == '>' || ch == '|') {
      return false;
    }
  }
  return true;
}

// Fills `data` for one entry; false when it has gone.
bool Describe(const std::string& hostDir, const std::string& name, FindData* data) {
  std::string path = hostDir == "/" ? "/" + name : hostDir + "/" + name;
  posix::EntryInfo info;
  // "." and ".." are the folders themselves, whatever led there.
  bool dots = name == "." || name == "..";
  if (!posix::DescribeEntry(path, dots, &info)) return false;
  if (data) {
    data->name = name;
    data->attributes = info.attributes;
    data->size = info.size;
    data->writeTime = info.writeTime;
  }
  return true;
}

// Hands out the next entry that still exists; false at the end.
bool Advance(Search& s, FindData* data) {
  while (s.next < s.names.size()) {
    const std::string& name = s.names[s.next++];
    if (Describe(s.hostDir, name, data)) return true;
  }
  return false;
}

}  // namespace

FindHandle FindFirstFile(std::string_view patternIn, FindData* data) {
  std::string pattern = winpath::ToBackslashes(patternIn);
  std::string wildcard(winpath::FileName(pattern));
  std::string folder(winpath::Folder(pattern));
  if (folder.empty() && winpath::DriveLetter(pattern)) {  // "C:*.txt"
    folder = pattern.substr(0, 2);
    wildcard = pattern.substr(2);
  }
  if (wildcard.empty()) {
    SetLastError(kErrorFileNotFound);
    return kInvalidFind;
  }
  std::string abs;
  if (!posix::AbsoluteWindowsPath(folder.empty() ? std::string(".") : folder, abs)) {
    SetLastError(kErrorPathNotFound);
    return kInvalidFind;
  }
  auto host = posix::HostPath(abs);
  if (!host) return kInvalidFind;

  // A name without wildcards finds the one entry that spells it, whatever its case: the
  // folder index answers that without reading the folder, which a check of each file copied
  // into a folder of thousands would otherwise do every time. (Of several host entries that
  // differ only in case, the first in listing order is the one found.)
  if (wildcard.find_first_of("*?") == std::string::npos && wildcard.back() != '.' &&
      wildcard.back() != ' ') {
    std::optional<std::string> name = posix::FindNoCase(*host, wildcard);
    FindData found;
    if (!name || !Spellable(*name) || !Describe(*host, *name, &found)) {
      struct stat st;
      SetLastError(::stat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kErrorFileNotFound
                                                                          : kErrorPathNotFound);
      return kInvalidFind;
    }
    if (data) *data = std::move(found);
    std::lock_guard<std::mutex> lock(findMu);
    FindHandle id = nextId++;
    Search single;
    single.hostDir = *host;
    Searches().emplace(id, std::move(single));
    SetLastError(kErrorSuccess);
    return id;
  }

  DIR* dir = ::opendir(host->c_str());
  if (!dir) {
    int err = errno;
    SetLastError(err == ENOENT || err == ENOTDIR ? kErrorPathNotFound : posix::ErrorFromErrno(err));
    return kInvalidFind;
  }
  Search s;
  s.hostDir = *host;
  while (struct dirent* e = ::readdir(dir)) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    if (Spellable(name) && winpath::MatchWildcard(wildcard, name)) s.names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(s.names.begin(), s.names.end(), [](const std::string& a, const std::string& b) {
    std::string ua = winpath::ToUpper(a), ub = winpath::ToUpper(b);
    return ua != ub ? ua < ub : a < b;
  });
  // Windows lists the folder itself and its parent first, except at a drive root.
  if (abs.size() > 3) {
    std::vector<std::string> dots;
    for (const char* d : {".", ".."}) {
      if (winpath::MatchWildcard(wildcard, d)) dots.emplace_back(d);
    }
    s.names.insert(s.names.begin(), dots.begin(), dots.end());
  }
  FindData first;
  if (!Advance(s, &first)) {
    SetLastError(kErrorFileNotFound);
    return kInvalidFind;
  }
  if (data) *data = std::move(first);
  std::lock_guard<std::mutex> lock(findMu);
  FindHandle id = nextId++;
  Searches().emplace(id, std::move(s));
  SetLastError(kErrorSuccess);
  return id;
}

bool FindNextFile(FindHandle h, FindData* data) {
  std::lock_guard<std::mutex> lock(findMu);
  auto it = Searches().find(h);
  if (it == Searches().end()) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (!Advance(it->second, data)) {
    SetLastError(kErrorNoMoreFiles);
    return false;
  }
  return true;
}

bool FindClose(FindHandle h) {
  std::lock_guard<std::mutex> lock(findMu);
  if (Searches().erase(h) == 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  return true;
}

}  // namespace vx
