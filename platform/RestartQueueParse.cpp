#include "platform/RestartQueueParse.h"

#include "platform/Trim.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

constexpr std::string_view kNtPrefix = "\\??\\";
// A network path "\\server\share\..." is kept as "\??\UNC\server\share\...".
constexpr std::string_view kNtUnc = "UNC\\";
constexpr std::string_view kUncStart = "\\\\";
// The Windows spellings that name an NT path verbatim: "\\?\X" and "\\.\X" are "\??\X".
constexpr std::string_view kVerbatim = "\\\\?\\";
constexpr std::string_view kDevice = "\\\\.\\";
// An NT name written without "\??\" (as "\Device\...") is reached from Windows through the
// global root.
constexpr std::string_view kGlobalRoot = "\\\\?\\GLOBALROOT";

std::vector<std::string> SplitMulti(std::string_view data) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t end = data.find('\0', i);
    if (end == std::string_view::npos) end = data.size();
    out.emplace_back(data.substr(i, end - i));
    i = end + 1;
  }
  return out;
}

// The NT name Windows gives a path, as MoveFileEx records it. A path that is neither a drive
// path nor a network or verbatim one is written as it stands.
std::string WithNtPrefix(std::string_view path) {
  if (path.starts_with(kVerbatim) || path.starts_with(kDevice))
    return std::string(kNtPrefix) + std::string(path.substr(kVerbatim.size()));
  if (path.starts_with(kUncStart))
    return std::string(kNtPrefix) + std::string(kNtUnc) +
           std::string(path.substr(kUncStart.size()));
  if (winpath::DriveLetter(path) != 0) return std::string(kNtPrefix) + std::string(path);
  return std::string(path);
}

// The Windows path of an NT name: the plain drive or network spelling when it gives back the
// same name, else the verbatim one, so that every name read is written back unchanged.
std::string StripNtPrefix(std::string_view s) {
  if (!s.starts_with(kNtPrefix)) {
    // "\Device\..." is no drive path; "C:\x" without the prefix names nothing on Windows but
    // is kept (it reads back as the same name).
    if (s.starts_with('\\')) return std::string(kGlobalRoot) + std::string(s);
    return std::string(s);
  }
  std::string_view rest = s.substr(kNtPrefix.size());
  if (rest.size() >= kNtUnc.size() &&
      winpath::EqualsNoCase(rest.substr(0, kNtUnc.size()), kNtUnc)) {
    std::string unc = std::string(kUncStart) + std::string(rest.substr(kNtUnc.size()));
    if (!unc.starts_with(kVerbatim) && !unc.starts_with(kDevice)) return unc;
  } else if (winpath::DriveLetter(rest) != 0) {
    return std::string(rest);
  }
  return std::string(kVerbatim) + std::string(rest);
}

}  // namespace

std::vector<PendingOperation> ParseNtQueue(std::string_view data) {
  std::vector<PendingOperation> ops;
  auto strings = SplitMulti(data);
  for (std::size_t i = 0; i < strings.size(); i += 2) {
    if (strings[i].empty()) break;  // the list's closing empty string
    PendingOperation op;
    op.source = StripNtPrefix(strings[i]);
    std::string_view t = i + 1 < strings.size() ? std::string_view(strings[i + 1]) : "";
    if (t.starts_with('!')) {
      op.replace = true;
      t.remove_prefix(1);
    }
    op.target = StripNtPrefix(t);
    ops.push_back(std::move(op));
  }
  return ops;
}

// Pairs of zero-ended strings, then one more zero that closes the list.
std::string SerializeNtQueue(const std::vector<PendingOperation>& ops) {
  std::string data;
  for (const auto& op : ops) {
    data += WithNtPrefix(op.source);
    data.push_back('\0');
    if (!op.target.empty()) {
      if (op.replace) data.push_back('!');
      data += WithNtPrefix(op.target);
    }
    data.push_back('\0');
  }
  data.push_back('\0');
  return data;
}

namespace {

// Hands each line of Wininit.ini that may be an operation (not blank, not a comment, not a
// section header) to `onLine` with whether it stands in a [Rename] section; true when the
// text's last section is [Rename].
bool IsRenameHeader(const std::string& line) {
  std::size_t close = line.find(']');
  std::string name = close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
  return winpath::EqualsNoCase(std::string(TrimSpacesTabsAndLineEnds(name)), "Rename");
}

// The operation of one trimmed [Rename] line "target=source" ("NUL=source" deletes); false for
// a line that is none.
bool WininitOperation(const std::string& line, PendingOperation& op) {
  std::size_t eq = line.find('=');
  if (eq == std::string::npos || line.empty() || line[0] == ';') return false;
  op.fromWininit = true;
  op.replace = true;
  std::string left = std::string(TrimSpacesTabsAndLineEnds(std::string_view(line).substr(0, eq)));
  op.source = std::string(TrimSpacesTabsAndLineEnds(std::string_view(line).substr(eq + 1)));
  if (op.source.empty()) return false;
  op.target = winpath::EqualsNoCase(left, "NUL") ? "" : left;
  return true;
}

// A path as the queues are compared: upper case, "." and ".." resolved, no trailing
// backslash; "" for one that names no file.
std::string Comparable(std::string_view path) {
  std::string p = winpath::ToBackslashes(path);
  if (p.starts_with(kVerbatim) &&
      winpath::DriveLetter(std::string_view(p).substr(kVerbatim.size())))
    p.erase(0, kVerbatim.size());
  std::string out;
  if (winpath::IsAbsolute(p) && winpath::Normalize(p, out)) p = out;
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  return winpath::ToUpper(p);
}

template <typename OnLine>
bool WalkWininit(std::string_view text, OnLine&& onLine) {
  bool inRename = false;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    std::string line = std::string(TrimSpacesTabsAndLineEnds(text.substr(i, end - i)));
    i = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      inRename = IsRenameHeader(line);
      continue;
    }
    onLine(line, inRename);
  }
  return inRename;
}

}  // namespace

// Wininit.ini is not read with the profile grammar (platform/ProfileParse.h): its [Rename]
// lines are operations, not keys. Every line counts, in order, repeated names included
// ("NUL=" once for each file to delete), in every [Rename] section, and the paths are taken as
// written; the grammar's first-key-wins lookups and unquoting would drop or alter operations.
std::vector<PendingOperation> ParseWininit(std::string_view text) {
  std::vector<PendingOperation> ops;
  WalkWininit(text, [&ops](const std::string& line, bool inRename) {
    PendingOperation op;
    if (inRename && WininitOperation(line, op)) ops.push_back(std::move(op));
  });
  return ops;
}

std::string WininitWithout(std::string_view text,
                           const std::function<bool(const PendingOperation&)>& drop) {
  std::string out;
  bool inRename = false;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    // The line with its own line end, kept byte for byte.
    std::size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    const std::string line(TrimSpacesTabsAndLineEnds(text.substr(i, end - i)));
    const std::string_view raw = text.substr(i, next - i);
    i = next;
    if (!line.empty() && line.front() == '[') {
      inRename = IsRenameHeader(line);
    } else if (PendingOperation op; inRename && WininitOperation(line, op) && drop(op)) {
      continue;
    }
    out += raw;
  }
  return out;
}

bool TakesPath(const PendingOperation& op, std::string_view path) {
  const std::string want = Comparable(path);
  if (want.empty()) return false;
  if (!op.target.empty()) return Comparable(op.target) == want;
  const std::string source = Comparable(op.source);
  if (source.empty()) return false;
  if (source == want) return true;
  // A folder holding the path.
  const std::string folder = source.back() == '\\' ? source : source + "\\";
  return want.size() > folder.size() && want.compare(0, folder.size(), folder) == 0;
}

bool WininitEndsInRename(std::string_view text) {
  return WalkWininit(text, [](const std::string&, bool) {});
}

}  // namespace vx
