#include "engine/actions/CommandInterpreter.h"

#include <cstdio>
#include <vector>

#include "platform/Files.h"
#include "platform/Types.h"
#include "platform/WinPath.h"
#include "platform/Trim.h"

namespace vx {

namespace {

// Where a command's output goes: a file (">" or ">>"), the console, or nowhere.
class Output {
 public:
  Output(bool show) : show_(show) {}
  ~Output() {
    if (file_ != kInvalidHandle) CloseHandle(file_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  bool Redirect(const std::string& path, bool append) {
    file_ = CreateFile(path, kGenericWrite, kShareRead,
                       append ? Disposition::OpenAlways : Disposition::CreateAlways);
    if (file_ == kInvalidHandle) return false;
    if (append) SetFilePointer(file_, 0, SeekFrom::End);
    return true;
  }
  bool Redirected() const { return file_ != kInvalidHandle; }

  void Write(std::string_view text) {
    if (file_ != kInvalidHandle) {
      std::uint32_t written = 0;
      WriteFile(file_, text.data(), static_cast<std::uint32_t>(text.size()), &written);
    } else if (show_) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fflush(stdout);
    }
  }
  // Messages are not redirected by ">" (they go to the error stream on Windows).
  void Error(std::string_view text) {
    if (!show_) return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fwrite("\r\n", 1, 2, stdout);
    std::fflush(stdout);
  }

 private:
  bool show_;
  FileHandle file_ = kInvalidHandle;
};

class Interpreter {
 public:
  Interpreter(std::string cwd, bool show) : cwd_(std::move(cwd)), show_(show) {}

  std::uint32_t RunLine(std::string_view line) {
    // "a & b" runs both, "a && b" runs b only after a succeeded.
    std::uint32_t code = 0;
    bool inQuotes = false;
    std::size_t start = 0;
    bool onlyOnSuccess = false;
    for (std::size_t i = 0; i <= line.size(); ++i) {
      if (i < line.size() && line[i] == '"') inQuotes = !inQuotes;
      if (i < line.size() && (inQuotes || line[i] != '&')) continue;
      std::string_view part = line.substr(start, i - start);
      if (!onlyOnSuccess || code == 0) code = RunOne(part);
      onlyOnSuccess = false;
      if (i + 1 < line.size() && line[i + 1] == '&') {
        onlyOnSuccess = true;
        ++i;
      }
      start = i + 1;
    }
    return code;
  }

 private:
  std::string cwd_;
  bool show_;

  // An absolute, normalized Windows path; "" when the name cannot be one.
  std::string Resolve(std::string_view name) const {
    std::string p = winpath::ToBackslashes(name);
    std::string full;
    if (winpath::IsAbsolute(p)) {
      full = p;
    } else if (p.size() == 2 && p[1] == ':') {
      full = p + "\\";
    } else if (!p.empty() && p[0] == '\\') {
      full = cwd_.substr(0, 2) + p;
    } else if (p.size() >= 2 && p[1] == ':') {
      return {};
    } else {
      full = winpath::Join(cwd_, p);
    }
    std::string out;
    return winpath::Normalize(full, out) ? out : std::string();
  }

  static std::vector<std::string> Tokens(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (true) {
      while (i < s.size() && IsSpaceOrTab(s[i])) ++i;
      if (i >= s.size()) break;
      std::string tok;
      bool inQuotes = false;
      while (i < s.size() && (inQuotes || !IsSpaceOrTab(s[i]))) {
        if (s[i] == '"') {
          inQuotes = !inQuotes;
        } else {
          tok.push_back(s[i]);
        }
        ++i;
      }
      out.push_back(std::move(tok));
    }
    return out;
  }

  static bool IsFolder(const std::string& path) {
    std::uint32_t a = GetFileAttributes(path);
    return a != kInvalidAttributes && (a & kAttrDirectory);
  }

  static bool HasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
  }

  static constexpr std::string_view kSyntaxError = "The syntax of the command is incorrect.";
  static constexpr std::string_view kFileNotFound = "The system cannot find the file specified.";
  static constexpr std::string_view kPathNotFound = "The system cannot find the path specified.";
  static constexpr std::string_view kBadName =
      "The filename, directory name, or volume label syntax is incorrect.";
  static constexpr std::string_view kAccessDenied = "Access is denied.";

  // Shows why a command failed and gives its exit code.
  static std::uint32_t Fail(Output& out, std::string_view message) {
    out.Error(message);
    return 1;
  }

  // The names among a command's words; "/x" switches are left out, and *given tells whether the
  // one switch the command knows (`known`, any case) was among them.
  static std::vector<std::string> Operands(std::string_view rest, std::string_view known = {},
                                           bool* given = nullptr) {
    std::vector<std::string> names;
    for (auto& t : Tokens(rest)) {
      if (!t.empty() && t[0] == '/') {
        if (given && winpath::EqualsNoCase(t, known)) *given = true;
        continue;
      }
      names.push_back(t);
    }
    return names;
  }

  // The files (not folders) a pattern names, as full paths.
  static std::vector<std::string> Matches(const std::string& pattern) {
    std::vector<std::string> out;
    if (!HasWildcard(winpath::FileName(pattern))) {
      std::uint32_t a = GetFileAttributes(pattern);
      if (a != kInvalidAttributes && !(a & kAttrDirectory)) out.push_back(pattern);
      return out;
    }
    std::string folder(winpath::Folder(pattern));
    FindData fd;
    FindHandle h = FindFirstFile(pattern, &fd);
    if (h == kInvalidFind) return out;
    do {
      if (fd.attributes & kAttrDirectory) continue;
      out.push_back(folder + fd.name);
    } while (FindNextFile(h, &fd));
    FindClose(h);
    return out;
  }

  // What a copy, move or rename works on: a folder itself where folders may be taken whole, else
  // the files the name matches.
  static std::vector<std::string> Sources(const std::string& from, bool wholeFolder) {
    if (wholeFolder && IsFolder(from)) return {from};
    return Matches(from);
  }

  // Splits "text > file" / "text >> file" outside quotes.
  static std::string_view SplitRedirect(std::string_view cmd, std::string* target, bool* append) {
    bool inQuotes = false;
    for (std::size_t i = 0; i < cmd.size(); ++i) {
      if (cmd[i] == '"') inQuotes = !inQuotes;
      if (inQuotes || cmd[i] != '>') continue;
      *append = i + 1 < cmd.size() && cmd[i + 1] == '>';
      std::string_view rest = cmd.substr(i + (*append ? 2 : 1));
      auto toks = Tokens(rest);
      *target = toks.empty() ? std::string() : toks.front();
      return cmd.substr(0, i);
    }
    return cmd;
  }

  std::uint32_t RunOne(std::string_view text) {
    while (!text.empty() && IsSpaceOrTab(text.front())) text.remove_prefix(1);
    std::string target;
    bool append = false;
    std::string_view cmd = SplitRedirect(text, &target, &append);
    std::size_t n = 0;
    while (n < cmd.size() && ((cmd[n] >= 'a' && cmd[n] <= 'z') || (cmd[n] >= 'A' && cmd[n] <= 'Z')))
      ++n;
    std::string verb = winpath::ToLower(cmd.substr(0, n));
    std::string_view rest = cmd.substr(n);
    bool separated = rest.empty() || IsSpaceOrTab(rest.front()) || rest.front() == '.' ||
                     rest.front() == '\\' || rest.front() == '/';
    using Builtin = std::uint32_t (Interpreter::*)(std::string_view, Output&);
    Builtin builtin = nullptr;
    if (separated) {
      if (verb == "echo") builtin = &Interpreter::Echo;
      if (verb == "type") builtin = &Interpreter::Type;
      if (verb == "del" || verb == "erase") builtin = &Interpreter::Del;
      if (verb == "copy") builtin = &Interpreter::Copy;
      if (verb == "move") builtin = &Interpreter::Move;
      if (verb == "ren" || verb == "rename") builtin = &Interpreter::Ren;
      if (verb == "md" || verb == "mkdir") builtin = &Interpreter::Md;
      if (verb == "rd" || verb == "rmdir") builtin = &Interpreter::Rd;
      if (verb == "cd" || verb == "chdir") builtin = &Interpreter::Cd;
    }
    Output out(show_);
    if (!builtin) {
      if (std::string(TrimSpacesAndTabs(cmd)).empty()) return 0;
      return RunProgram(cmd, out, target, append);
    }
    if (!target.empty()) {
      std::string path = Resolve(target);
      if (path.empty() || !out.Redirect(path, append)) return Fail(out, kPathNotFound);
    }
    return (this->*builtin)(rest, out);
  }

  std::uint32_t Copy(std::string_view rest, Output& out) { return CopyOrMove(rest, out, false); }
  std::uint32_t Move(std::string_view rest, Output& out) { return CopyOrMove(rest, out, true); }

  std::uint32_t Echo(std::string_view rest, Output& out) {
    if (!rest.empty() && (rest.front() == '.' || IsSpaceOrTab(rest.front()))) {
      std::string_view text = rest.substr(1);
      if (rest.front() == '.' || !std::string(TrimSpacesAndTabs(text)).empty()) {
        out.Write(text);
        out.Write("\r\n");
        return 0;
      }
    }
    out.Write("ECHO is on.\r\n");
    return 0;
  }

  std::uint32_t Type(std::string_view rest, Output& out) {
    auto toks = Tokens(rest);
    if (toks.empty()) return Fail(out, kSyntaxError);
    std::uint32_t code = 0;
    for (const auto& t : toks) {
      std::string path = Resolve(t);
      FileHandle h = path.empty() ? kInvalidHandle
                                  : CreateFile(path, kGenericRead, kShareRead | kShareWrite,
                                               Disposition::OpenExisting);
      if (h == kInvalidHandle) {
        code = Fail(out, kFileNotFound);
        continue;
      }
      char buf[8192];
      std::uint32_t got = 0;
      while (ReadFile(h, buf, sizeof buf, &got) && got > 0) out.Write(std::string_view(buf, got));
      CloseHandle(h);
    }
    return code;
  }

  std::uint32_t Del(std::string_view rest, Output& out) {
    bool force = false;
    std::vector<std::string> names = Operands(rest, "/f", &force);
    if (names.empty()) return Fail(out, kSyntaxError);
    std::uint32_t code = 0;
    for (const auto& name : names) {
      std::string pattern = Resolve(name);
      if (pattern.empty()) {
        code = Fail(out, kBadName);
        continue;
      }
      // "del folder" deletes the files in the folder.
      if (IsFolder(pattern)) pattern = winpath::Join(pattern, "*");
      auto files = Matches(pattern);
      if (files.empty()) {
        code = Fail(out, "Could Not Find " + pattern);
        continue;
      }
      for (const auto& f : files) {
        std::uint32_t a = GetFileAttributes(f);
        if (force && a != kInvalidAttributes && (a & kAttrReadOnly)) {
          SetFileAttributes(f, a & ~kAttrReadOnly);
        }
        if (!DeleteFile(f)) {
          code = Fail(out, f + "\r\nAccess is denied.");
        }
      }
    }
    return code;
  }

  std::uint32_t CopyOrMove(std::string_view rest, Output& out, bool move) {
    std::vector<std::string> names = Operands(rest);
    if (names.empty() || names.size() > 2) return Fail(out, kSyntaxError);
    std::string from = Resolve(names[0]);
    std::string to = names.size() == 2 ? Resolve(names[1]) : cwd_;
    if (from.empty() || to.empty()) return Fail(out, kBadName);
    if (IsFolder(from) && !move) from = winpath::Join(from, "*");
    std::vector<std::string> sources = Sources(from, move);
    if (sources.empty()) return Fail(out, kFileNotFound);
    bool toFolder = IsFolder(to) || (!names.empty() && names.size() == 2 &&
                                     (names[1].ends_with('\\') || names[1].ends_with('/')));
    if (!toFolder && sources.size() > 1)
      return Fail(out, "Cannot copy several files onto one file.");
    int done = 0;
    std::uint32_t code = 0;
    for (const auto& src : sources) {
      std::string dst = toFolder ? winpath::Join(to, winpath::FileName(src)) : to;
      if (winpath::EqualsNoCase(src, dst)) {
        code = Fail(out, "The file cannot be copied onto itself.");
        continue;
      }
      bool ok;
      if (move) {
        if (FileOrFolderExists(dst) && !IsFolder(dst)) DeleteFile(dst);
        ok = MoveFile(src, dst);
      } else {
        ok = CopyFile(src, dst, false);
      }
      if (ok) {
        ++done;
      } else {
        code = Fail(out, kAccessDenied);
      }
    }
    out.Write("        " + std::to_string(done) +
              (move ? " file(s) moved.\r\n" : " file(s) copied.\r\n"));
    return code;
  }

  // "*.ext" and "name.*" targets take the other half from each source name.
  static std::string RenamedName(std::string_view source, std::string_view pattern) {
    if (!HasWildcard(pattern)) return std::string(pattern);
    std::string_view ext = winpath::Extension(source);
    std::string_view base = source.substr(0, source.size() - ext.size());
    std::size_t dot = pattern.rfind('.');
    std::string_view pBase = dot == std::string_view::npos ? pattern : pattern.substr(0, dot);
    std::string_view pExt = dot == std::string_view::npos ? "" : pattern.substr(dot);
    std::string result = pBase == "*" ? std::string(base) : std::string(pBase);
    if (pExt == ".*") {
      result += ext;
    } else {
      result += pExt;
    }
    return result;
  }

  std::uint32_t Ren(std::string_view rest, Output& out) {
    auto toks = Tokens(rest);
    if (toks.size() != 2 || toks[1].find_first_of("\\/:") != std::string::npos) {
      return Fail(out, kSyntaxError);
    }
    std::string from = Resolve(toks[0]);
    if (from.empty()) return Fail(out, kSyntaxError);
    std::vector<std::string> sources = Sources(from, !HasWildcard(toks[0]));
    if (sources.empty()) return Fail(out, kFileNotFound);
    std::uint32_t code = 0;
    for (const auto& src : sources) {
      std::string dst =
          std::string(winpath::Folder(src)) + RenamedName(winpath::FileName(src), toks[1]);
      if (FileOrFolderExists(dst) && !winpath::EqualsNoCase(src, dst)) {
        code = Fail(out, "A duplicate file name exists, or the file cannot be found.");
        continue;
      }
      if (!MoveFile(src, dst)) {
        code = Fail(out, kAccessDenied);
      }
    }
    return code;
  }

  std::uint32_t Md(std::string_view rest, Output& out) {
    auto toks = Tokens(rest);
    if (toks.empty()) return Fail(out, kSyntaxError);
    std::uint32_t code = 0;
    for (const auto& t : toks) {
      std::string path = Resolve(t);
      if (path.empty()) {
        code = 1;
        continue;
      }
      if (FileOrFolderExists(path)) {
        code = Fail(out, "A subdirectory or file " + t + " already exists.");
        continue;
      }
      // Every missing folder on the way is made, as with command extensions.
      std::size_t pos = 3;
      bool ok = true;
      while (ok) {
        std::size_t next = path.find('\\', pos);
        std::string part = path.substr(0, next);
        if (!IsFolder(part) && !CreateDirectory(part)) ok = false;
        if (next == std::string::npos) break;
        pos = next + 1;
      }
      if (!ok) {
        code = Fail(out, kAccessDenied);
      }
    }
    return code;
  }

  static bool RemoveTree(const std::string& folder) {
    FindData fd;
    FindHandle h = FindFirstFile(winpath::Join(folder, "*"), &fd);
    bool ok = true;
    if (h != kInvalidFind) {
      do {
        if (fd.name == "." || fd.name == "..") continue;
        std::string p = winpath::Join(folder, fd.name);
        if (fd.attributes & kAttrDirectory) {
          ok = RemoveTree(p) && ok;
        } else {
          if (fd.attributes & kAttrReadOnly) SetFileAttributes(p, fd.attributes & ~kAttrReadOnly);
          ok = DeleteFile(p) && ok;
        }
      } while (FindNextFile(h, &fd));
      FindClose(h);
    }
    return RemoveDirectory(folder) && ok;
  }

  std::uint32_t Rd(std::string_view rest, Output& out) {
    bool tree = false;
    std::vector<std::string> names = Operands(rest, "/s", &tree);
    if (names.empty()) return Fail(out, kSyntaxError);
    std::uint32_t code = 0;
    for (const auto& n : names) {
      std::string path = Resolve(n);
      if (path.empty() || !IsFolder(path)) {
        code = Fail(out, kFileNotFound);
        continue;
      }
      if (path.size() <= 3) {  // a drive root is never removed
        code = Fail(out, kAccessDenied);
        continue;
      }
      bool ok = tree ? RemoveTree(path) : RemoveDirectory(path);
      if (!ok) {
        code = Fail(out, tree ? kAccessDenied : "The directory is not empty.");
      }
    }
    return code;
  }

  std::uint32_t Cd(std::string_view rest, Output& out) {
    std::string arg;
    for (auto& t : Tokens(rest)) {
      if (winpath::EqualsNoCase(t, "/d")) continue;
      arg = arg.empty() ? t : arg + " " + t;
    }
    if (arg.empty()) {
      out.Write(cwd_ + "\r\n");
      return 0;
    }
    std::string path = Resolve(arg);
    if (path.empty() || !IsFolder(path)) return Fail(out, kPathNotFound);
    cwd_ = path;
    return 0;
  }

  std::uint32_t RunProgram(std::string_view cmd, Output& out, const std::string& target,
                           bool append) {
    std::string line = std::string(TrimSpacesAndTabs(cmd));
    StartupInfo info;
    info.useShowWindow = true;
    info.showWindow = show_ ? kSwShowNormal : kSwHide;
    info.currentDirectory = cwd_;
    if (!target.empty()) {
      info.stdOutput = Resolve(target);
      info.appendStdOutput = append;
    }
    ProcessHandle h = kNoProcess;
    if (!StartProgram(line, info, &h)) {
      std::string program;
      SplitProgram(line, &program, nullptr);
      out.Error("'" + program + "' is not recognized as an internal or external command,\r\n" +
                "operable program or batch file.");
      return 1;
    }
    WaitForSingleObject(h, kInfinite);
    std::uint32_t code = 0;
    GetExitCodeProcess(h, &code);
    CloseProcessHandle(h);
    return code;
  }
};

}  // namespace

bool IsCommandInterpreter(std::string_view program) {
  const std::string path = winpath::ToBackslashes(program);
  std::string_view name = winpath::FileName(path);
  return winpath::EqualsNoCase(name, "command.com") || winpath::EqualsNoCase(name, "command") ||
         winpath::EqualsNoCase(name, "cmd.exe") || winpath::EqualsNoCase(name, "cmd");
}

bool StartProgram(std::string_view commandLine, const StartupInfo& info, ProcessHandle* process) {
  if (process) *process = kNoProcess;
  if (commandLine.size() > kMaxCommandLine) {
    SetLastError(kErrorFilenameExcedRange);
    return false;
  }
  std::string program, arguments;
  SplitProgram(commandLine, &program, &arguments);
  if (!IsCommandInterpreter(program)) return CreateProcess(commandLine, info, process);

  std::string cwd = info.currentDirectory.empty() ? GetCurrentDirectory() : info.currentDirectory;
  bool show = !info.useShowWindow || info.showWindow != kSwHide;
  ProcessHandle h = StartThreadProcess(commandLine, info, [arguments, cwd, show] {
    return RunCommandInterpreter(arguments, cwd, show);
  });
  if (process) {
    *process = h;
  } else {
    CloseProcessHandle(h);
  }
  return true;
}

std::uint32_t RunCommandInterpreter(std::string_view arguments, std::string currentDirectory,
                                    bool showOutput) {
  std::string_view a = arguments;
  while (!a.empty() && IsSpaceOrTab(a.front())) a.remove_prefix(1);
  // "/c" (run and end) and "/k" (would stay open; there is no one to type) both run the rest.
  if (a.size() >= 2 && a[0] == '/' && (a[1] == 'c' || a[1] == 'C' || a[1] == 'k' || a[1] == 'K')) {
    a.remove_prefix(2);
  }
  Interpreter interp(std::move(currentDirectory), showOutput);
  return interp.RunLine(a);
}

}  // namespace vx
