// The switches administrators and deployment tools give Install.exe and Extract.exe, in any
// case, with "/" or "-": /S, /DIR=, /COMPONENTS=, /TYPE=, /LOG=, /NORESTART,
// /SUPPRESSMSGBOXES, /SAVEINF=, /MSICODES and /?. They are taken out of the command line
// before the run-mode options are read; what is left is read as before.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct Switches {
  bool silent = false;            // /S
  bool noRestart = false;         // /NORESTART
  bool suppressMsgBoxes = false;  // /SUPPRESSMSGBOXES
  bool msiCodes = false;          // /MSICODES
  bool help = false;              // /?
  std::string dir;                // /DIR=PATH
  std::string components;         // /COMPONENTS=A,B
  std::string type;               // /TYPE=NAME
  std::string log;                // /LOG=FILE
  std::string saveInf;            // /SAVEINF=FILE
  bool Any() const;
  // The switches as a command-line text ("/S /DIR=D:\X"), in a fixed order.
  std::string Text() const;
};

// Takes the switches out of `text` and returns what is left. When the text holds "|" only
// the part after the first "|" is searched (the part before is the engine's own "-e PATH").
// A value runs up to the next switch or "|" and loses one pair of enclosing quotes. "/S"
// followed by anything but another switch, an option or "|" stays the "-s FILE" option.
std::string TakeSwitches(std::string_view text, Switches& out);

// Component names of /COMPONENTS=, split at ",", trimmed, empty ones dropped.
std::vector<std::string> SwitchComponentNames(const std::string& list);

// The lines /? prints.
const char* SwitchHelpText();

// The status deployment tools understand for an exit status of Install.exe (0 to 5) or
// Extract.exe (10 to 14): 0, 1603 failed, 1602 cancelled, 3010 restart needed, 1618 another
// run alive.
int MsiCodeOf(int status);

}  // namespace vx
