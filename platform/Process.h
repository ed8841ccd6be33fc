// Processes, documents, dynamic libraries and the restart request of the machine,
// Windows-shaped. Programs are named by Windows command lines; the program part is a
// Windows path mapped through the current machine.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// A started process (or a program built into the machine, run on a thread of this process).
using ProcessHandle = std::intptr_t;
inline constexpr ProcessHandle kNoProcess = 0;

// ShowWindow states (SW_*).
enum : int { kSwHide = 0, kSwShowNormal = 1, kSwMaximize = 3, kSwMinimize = 6 };

// Wait results and the infinite wait (WAIT_*, INFINITE).
enum : std::uint32_t {
  kWaitObject0 = 0,
  kWaitTimeout = 258,
  kWaitFailed = 0xFFFFFFFFu,
  kInfinite = 0xFFFFFFFFu,
  kStillActive = 259,
};

// More Win32 error codes of this service.
enum : std::uint32_t {
  kErrorBadExeFormat = 193,
  kErrorFilenameExcedRange = 206,
  kErrorNoAssociation = 1155,
};

// The longest command line the engine composes (a 1024-byte buffer on Windows).
inline constexpr std::size_t kMaxCommandLine = 1023;

struct StartupInfo {
  std::string title;           // console window title; "" for none
  bool useShowWindow = false;  // STARTF_USESHOWWINDOW
  int showWindow = kSwHide;
  // Windows folder the program starts in; "" = the caller's current folder.
  std::string currentDirectory;
  // Standard output into this Windows path instead of the caller's ("" = inherited).
  std::string stdOutput;
  bool appendStdOutput = false;
};

// Splits a Windows command line into its program text and the rest (trimmed of the one
// blank between them). A quoted program ends at its closing quote.
void SplitProgram(std::string_view commandLine, std::string* program, std::string* arguments);
// Arguments by the Windows rules (blanks separate, quotes group, backslashes before a quote
// escape it).
std::vector<std::string> CommandLineToArgv(std::string_view arguments);

// Finds a program (or library) as Windows does. A name with a folder is taken relative to
// `currentDirectory` (or the process's). A bare name is looked for in the running program's
// folder, the current folder, the system folder, the Windows folder, then the host PATH.
// `defaultExtension` (".exe", ".dll") is tried first when the name has none. Returns the
// Windows path, or "" (last error kErrorFileNotFound).
std::string SearchProgram(std::string_view name, std::string_view defaultExtension,
                          std::string_view currentDirectory = {});

// CreateProcess with handle inheritance and a new console: the command line's program is
// looked up with SearchProgram (also trying each blank of an unquoted line as the program's
// end, as Windows does); the rest is split into arguments. A command line longer than
// kMaxCommandLine is refused (kErrorFilenameExcedRange).
bool CreateProcess(std::string_view commandLine, const StartupInfo& info, ProcessHandle* process);

// Runs the program of a Windows command line (found as CreateProcess finds it) in place of
// this process: it keeps the process id, so whoever waits for this process gets that
// program's exit status. Handles this process opened are not handed on. Returns only when
// the program could not be started (last error set).
bool ReplaceProcess(std::string_view commandLine);

// Runs `body` as a program of the machine (named by `commandLine`, started with `info`) on a
// thread of this process; its result is the exit code. The handle waits and closes like a
// process's.
ProcessHandle StartThreadProcess(std::string_view commandLine, const StartupInfo& info,
                                 std::function<std::uint32_t()> body);

std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds);
bool GetExitCodeProcess(ProcessHandle process, std::uint32_t* code);
// Closing the handle of a running process leaves it running; it is reaped when it ends.
bool CloseProcessHandle(ProcessHandle process);

// Opens a document (or address) with the host's associated program: $VX_OPEN_COMMAND when
// set, else xdg-open when present. Fails with kErrorNoAssociation when there is none, and
// with kErrorFileNotFound for a missing file. The process handle is that of the opener.
bool ShellOpen(std::string_view file, int showWindow, ProcessHandle* process);

// Dynamic libraries (LoadLibrary/GetProcAddress/FreeLibrary) over the host's loader. The
// path is looked up with SearchProgram and ".dll".
using ModuleHandle = void*;
ModuleHandle LoadLibrary(std::string_view path);
// The loader's own text for the last failed LoadLibrary of this thread.
std::string LastLoadErrorText();
void* GetProcAddress(ModuleHandle module, std::string_view name);
bool FreeLibrary(ModuleHandle module);

// ExitWindowsEx: the host is never restarted; the request is recorded as an event of the
// machine (the file "restart-requested" in its directory) that `vxmachine boot` clears.
enum : std::uint32_t { kEwxLogoff = 0, kEwxShutdown = 1, kEwxReboot = 2 };
bool ExitWindowsEx(std::uint32_t flags);
bool RestartRequested();
void ClearRestartRequest();

// Test hook: what the last processes were started with (the newest last, at most 32).
struct StartRecord {
  std::string commandLine;
  std::string program;  // Windows path found
  int showWindow = kSwShowNormal;
  std::string title;
};
std::vector<StartRecord> RecentStarts();

}  // namespace vx
