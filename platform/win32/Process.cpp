// Processes, programs of the machine run on threads, documents and libraries through
// kernel32 and shell32.
#include "platform/win32/WinApi.h"

#include <shellapi.h>

#include <deque>
#include <memory>
#include <mutex>
#include <set>

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/WinPath.h"

namespace vx {

using win32::FromHandle;
using win32::Report;
using win32::ToHandle;
using win32::Z;

namespace {

std::mutex startsMutex;
std::deque<StartRecord> starts;
constexpr std::size_t kKeptStarts = 32;

void Remember(StartRecord record) {
  std::lock_guard<std::mutex> lock(startsMutex);
  starts.push_back(std::move(record));
  if (starts.size() > kKeptStarts) starts.pop_front();
}

// Handles of programs run on threads: their exit code is the thread's.
std::mutex threadsMutex;
std::set<HANDLE> threadProcesses;

bool IsThreadProcess(HANDLE h) {
  std::lock_guard<std::mutex> lock(threadsMutex);
  return threadProcesses.count(h) != 0;
}

bool HasFolder(std::string_view name) {
  return name.find_first_of("\\/:") != std::string_view::npos;
}

bool IsFile(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string SearchProgram(std::string_view name, std::string_view defaultExtension,
                          std::string_view currentDirectory) {
  if (name.empty()) {
    SetLastError(kErrorFileNotFound);
    return "";
  }
  const bool noExtension = winpath::Extension(name).empty();
  if (HasFolder(name)) {
    std::string path = Z(name);
    if (!winpath::IsAbsolute(path) && !currentDirectory.empty() &&
        !(path.size() > 1 && (path[0] == '\\' || path[0] == '/')))
      path = winpath::Join(currentDirectory, path);
    std::string full = HostPathOf(path);
    if (noExtension && IsFile(full + Z(defaultExtension))) return full + Z(defaultExtension);
    if (IsFile(full)) return full;
    SetLastError(kErrorFileNotFound);
    return "";
  }
  // A bare name: the program's folder, the current folder, the system folders, then PATH.
  char found[MAX_PATH * 4];
  const std::string ext = Z(defaultExtension);
  if (!currentDirectory.empty()) {
    std::string inFolder = winpath::Join(currentDirectory, name);
    if (noExtension && IsFile(inFolder + ext)) return HostPathOf(inFolder + ext);
  }
  const DWORD n = ::SearchPathA(nullptr, Z(name).c_str(), ext.empty() ? nullptr : ext.c_str(),
                                sizeof found, found, nullptr);
  if (n == 0 || n >= sizeof found) {
    SetLastError(kErrorFileNotFound);
    return "";
  }
  return found;
}

bool CreateProcess(std::string_view commandLine, const StartupInfo& info, ProcessHandle* process) {
  if (commandLine.size() > kMaxCommandLine) {
    SetLastError(kErrorFilenameExcedRange);
    return false;
  }
  std::string program, arguments;
  SplitProgram(commandLine, &program, &arguments);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string title = info.title;
  if (!title.empty()) si.lpTitle = title.data();
  if (info.useShowWindow) {
    si.dwFlags |= STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(info.showWindow);
  }
  HANDLE output = INVALID_HANDLE_VALUE;
  if (!info.stdOutput.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output = ::CreateFileA(
        info.stdOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
        info.appendStdOutput ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Report(output != INVALID_HANDLE_VALUE)) return false;
    if (info.appendStdOutput) ::SetFilePointer(output, 0, nullptr, FILE_END);
    si.dwFlags |= STARTF_USESTDHANDLES;
    si.hStdOutput = output;
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  }
  std::string line = Z(commandLine);
  PROCESS_INFORMATION pi{};
  // A program hidden on purpose gets no console window at all (nor needs a display). Beside an
  // engine that has a console, a program shares it in a process group of its own: the stop
  // request the engine gets can then be passed on to it as Ctrl-Break (InterruptProcess).
  DWORD attached = 0;
  const bool haveConsole = ::GetConsoleProcessList(&attached, 1) != 0;
  const DWORD flags = (info.useShowWindow && info.showWindow == kSwHide) ? CREATE_NO_WINDOW
                      : haveConsole                                      ? CREATE_NEW_PROCESS_GROUP
                                                                         : CREATE_NEW_CONSOLE;
  const bool ok =
      ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                       info.currentDirectory.empty() ? nullptr : info.currentDirectory.c_str(), &si,
                       &pi) != FALSE;
  Report(ok);
  const DWORD error = ::GetLastError();
  if (output != INVALID_HANDLE_VALUE) ::CloseHandle(output);
  if (!ok) {
    SetLastError(error);
    return false;
  }
  ::CloseHandle(pi.hThread);
  Remember(StartRecord{Z(commandLine), SearchProgram(program, ".exe", info.currentDirectory),
                       info.useShowWindow ? info.showWindow : kSwShowNormal, info.title});
  if (process)
    *process = FromHandle(pi.hProcess);
  else
    ::CloseHandle(pi.hProcess);
  return true;
}

// Windows cannot run another program in place of a process. The program is started (handing
// on no handle), this process waits for it and ends with its exit status, so that whoever
// waits for this process gets the program's status.
bool ReplaceProcess(std::string_view commandLine) {
  if (commandLine.size() > kMaxCommandLine) {
    SetLastError(kErrorFilenameExcedRange);
    return false;
  }
  std::string line = Z(commandLine);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!Report(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi) != FALSE))
    return false;
  ::CloseHandle(pi.hThread);
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::ExitProcess(code);
}

namespace {

struct ThreadBody {
  std::function<std::uint32_t()> body;
};

DWORD WINAPI RunThreadBody(void* p) {
  std::unique_ptr<ThreadBody> body(static_cast<ThreadBody*>(p));
  return body->body();
}

}  // namespace

ProcessHandle StartThreadProcess(std::string_view commandLine, const StartupInfo& info,
                                 std::function<std::uint32_t()> body) {
  auto* state = new ThreadBody{std::move(body)};
  HANDLE h = ::CreateThread(nullptr, 0, RunThreadBody, state, 0, nullptr);
  if (!Report(h != nullptr)) {
    delete state;
    return kNoProcess;
  }
  {
    std::lock_guard<std::mutex> lock(threadsMutex);
    threadProcesses.insert(h);
  }
  std::string program, arguments;
  SplitProgram(commandLine, &program, &arguments);
  Remember(StartRecord{Z(commandLine), program,
                       info.useShowWindow ? info.showWindow : kSwShowNormal, info.title});
  return FromHandle(h);
}

std::uint32_t WaitForSingleObject(ProcessHandle process, std::uint32_t milliseconds) {
  const DWORD r = ::WaitForSingleObject(ToHandle(process), milliseconds);
  Report(r != WAIT_FAILED);
  return r;
}

bool GetExitCodeProcess(ProcessHandle process, std::uint32_t* code) {
  DWORD c = 0;
  HANDLE h = ToHandle(process);
  const bool ok = IsThreadProcess(h) ? ::GetExitCodeThread(h, &c) != FALSE
                                     : ::GetExitCodeProcess(h, &c) != FALSE;
  if (ok && code) *code = c;
  return Report(ok);
}

bool CloseProcessHandle(ProcessHandle process) {
  HANDLE h = ToHandle(process);
  {
    std::lock_guard<std::mutex> lock(threadsMutex);
    threadProcesses.erase(h);
  }
  return Report(::CloseHandle(h) != FALSE);
}

bool ShellOpen(std::string_view file, int showWindow, ProcessHandle* process) {
  const std::string f = Z(file);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = f.c_str();
  info.nShow = showWindow;
  if (!Report(::ShellExecuteExA(&info) != FALSE)) {
    if (::GetLastError() == ERROR_NO_ASSOCIATION) SetLastError(kErrorNoAssociation);
    return false;
  }
  if (process)
    *process = FromHandle(info.hProcess);
  else if (info.hProcess)
    ::CloseHandle(info.hProcess);
  return true;
}

namespace {
thread_local std::string lastLoadError;

std::string ErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n ? std::string(text, n) : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out;
}
}  // namespace

ModuleHandle LoadLibrary(std::string_view path) {
  std::string found = SearchProgram(path, ".dll");
  const std::string name = found.empty() ? Z(path) : found;
  HMODULE m = ::LoadLibraryA(name.c_str());
  if (!Report(m != nullptr)) lastLoadError = name + ": " + ErrorText(::GetLastError());
  return reinterpret_cast<ModuleHandle>(m);
}

std::string LastLoadErrorText() { return lastLoadError; }

void* GetProcAddress(ModuleHandle module, std::string_view name) {
  FARPROC p = ::GetProcAddress(static_cast<HMODULE>(module), Z(name).c_str());
  Report(p != nullptr);
  return reinterpret_cast<void*>(p);
}

bool FreeLibrary(ModuleHandle module) {
  return Report(::FreeLibrary(static_cast<HMODULE>(module)) != FALSE);
}

std::vector<StartRecord> RecentStarts() {
  std::lock_guard<std::mutex> lock(startsMutex);
  return {starts.begin(), starts.end()};
}

}  // namespace vx
