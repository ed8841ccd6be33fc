// The machine's command interpreter ("Command.com /c ...") and the one way the engine
// starts a Windows command line. The interpreter is built into the engine and runs on a
// thread of its own; it knows del/erase (wildcards), copy, move, ren, md, rd, echo, type and
// cd on Windows paths, ">" and ">>" after any command, "&" and "&&" between commands, and
// runs anything else as a program.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Process.h"

namespace vx {

// Command.com, Command, Cmd.exe or Cmd, in any folder and case.
bool IsCommandInterpreter(std::string_view program);

// Starts a Windows command line: the interpreter in this process, anything else through
// CreateProcess. A command line longer than kMaxCommandLine is refused, not cut.
bool StartProgram(std::string_view commandLine, const StartupInfo& info, ProcessHandle* process);

// Runs the interpreter's arguments ("/c del *.tmp") in `currentDirectory` (a Windows folder).
// Output that is not redirected goes to standard output when `showOutput` is set (a console
// that is not hidden). Returns the exit code of the last command.
std::uint32_t RunCommandInterpreter(std::string_view arguments, std::string currentDirectory,
                                    bool showOutput);

}  // namespace vx
