#include "engine/actions/ProcessActions.h"

#include "engine/actions/Catalogue.h"
#include "engine/actions/CommandInterpreter.h"
#include "engine/base/Flags.h"
#include "engine/base/Macros.h"
#include "engine/base/NextField.h"
#include "engine/base/Store.h"
#include "engine/ui/Ui.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"
#include "platform/Trim.h"

namespace vx {

namespace {

constexpr const char* kWindowTitle = "Vx Installer";

// sscanf("%d"): white space, a sign, digits; false when no digit follows.
bool ScanInt(const std::string& text, int* value) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  std::uint32_t v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    v = v * 10u + static_cast<std::uint32_t>(text[i] - '0');  // wraps like a 32-bit int
    ++i;
  }
  *value = static_cast<int>(negative ? 0u - v : v);
  return true;
}

void StartAndWait(const std::string& commandLine, const StartupInfo& info,
                  const std::string& waitField) {
  ProcessHandle process = kNoProcess;
  StartProgram(commandLine, info, &process);
  std::uint32_t ms = 0;
  if (WaitPeriod(waitField, &ms)) WaitForSingleObject(process, ms);
  if (process != kNoProcess) CloseProcessHandle(process);
}

}  // namespace

int ShowStateFromField(const std::string& field) {
  if (field == "1") return kSwShowNormal;
  if (field == "2") return kSwMinimize;
  if (field == "3") return kSwMaximize;
  return kSwHide;
}

bool WaitPeriod(const std::string& field, std::uint32_t* milliseconds) {
  if (field == "0") return false;
  if (field == "-1") {
    *milliseconds = kInfinite;
    return true;
  }
  int count = -1;
  ScanInt(field, &count);
  // An unreadable count stays -1: -1000 ms taken unsigned, about 49 days.
  *milliseconds = static_cast<std::uint32_t>(count) * 1000u;
  return true;
}

bool ComposeCommandLine(const std::string& format, const std::string& a, const std::string& b,
                        std::string* out) {
  std::string line;
  std::size_t arg = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      line += arg++ == 0 ? a : b;
      ++i;
    } else {
      line.push_back(format[i]);
    }
  }
  if (line.size() > kMaxCommandLine) return false;
  *out = std::move(line);
  return true;
}

std::string ProjectName() { return ReadIniString("<General>", "ProjectName"); }

bool TakeStopHandOver() {
  std::string project = ProjectName();
  if (project.empty()) return false;  // no key to read
  std::string value = GetProfileString(kHandOverSection, project, "", 256);
  WriteProfileString(kHandOverSection, project.c_str(), nullptr);
  return winpath::EqualsNoCase(value, "STOP");
}

void RunCommand(std::string arguments) {
  ExpandFully(arguments);
  std::string command = NextField(arguments);
  std::string show = NextField(arguments);
  std::string wait = NextField(arguments);
  if (command.empty()) return;
  std::string line;
  if (!ComposeCommandLine("Command.com /c %s", command, {}, &line)) return;
  StartupInfo info;
  info.title = kWindowTitle;
  info.useShowWindow = true;
  info.showWindow = ShowStateFromField(show);
  StartAndWait(line, info, wait);
}

void RunProgram(std::string arguments) {
  ExpandFully(arguments);
  std::string program = NextField(arguments);
  std::string args = NextField(arguments);
  std::string show = NextField(arguments);
  std::string wait = NextField(arguments);
  if (program.empty()) return;
  std::string line;
  if (!ComposeCommandLine("%s %s", program, args, &line)) return;
  StartupInfo info;
  info.useShowWindow = true;
  info.showWindow = ShowStateFromField(show);
  StartAndWait(line, info, wait);
  // The hand-over is read after every wait, also when the program did not start.
  if (wait != "0" && TakeStopHandOver()) Flags().stopRequest = true;
}

void OpenDocument(std::string arguments) {
  ExpandFully(arguments);
  std::string file = NextField(arguments);
  std::string show = NextField(arguments);
  std::string wait = NextField(arguments);
  if (file.empty()) return;
  ProcessHandle process = kNoProcess;
  ShellOpen(file, ShowStateFromField(show), &process);
  std::uint32_t ms = 0;
  if (WaitPeriod(wait, &ms)) WaitForSingleObject(process, ms);
  if (process != kNoProcess) CloseProcessHandle(process);
}

void CallLibraryFunction(std::string arguments) {
  ExpandFully(arguments);
  std::string library = NextField(arguments);
  std::string function = NextField(arguments);
  std::string argument = NextField(arguments);
  if (library.empty() || function.empty()) return;
  ModuleHandle module = LoadLibrary(library);
  if (!module) {
    CurrentUi().MessageBox("Error", LastLoadErrorText(), kMbOk | kMbIconStop);
    return;
  }
  void* address = GetProcAddress(module, function);
  if (address) {
    int result;
    if (argument.empty()) {
      result = reinterpret_cast<int (*)()>(address)();
    } else {
      result = reinterpret_cast<int (*)(const char*)>(address)(argument.c_str());
    }
    SetDllCallSuccess(result != 0 ? "YES" : "NO");
  }
  FreeLibrary(module);
}

}  // namespace vx
