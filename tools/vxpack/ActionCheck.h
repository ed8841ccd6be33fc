// Checks of the lines the engine runs or installs: action lines (condition, code, fields),
// file lines and shortcut lines.
#pragma once
#include <string>
#include <vector>

#include "tools/vxpack/CheckText.h"

namespace vx::pack {

// Where a line stands decides how it is read.
enum class LineContext {
  Unexpanded,  // [<PreActions>], [<CompletionWnd>]: the line is not expanded as a whole
  Expanded,    // component sections and the uninstall lists: expanded before it runs
};

// The number of fields NextField takes off a text ("a | | b" has three, "a |" one).
int CountFields(std::string text);

// True when the line's first field is "?".
bool IsActionLine(const std::string& line);

// The target of a code 2 line ("{InstallPath3}", "{Folder}"), "" for any other line.
std::string AssignedName(const std::string& line);

// The line without the target of a code 2 line, which is a name rather than a macro.
std::string WithoutAssignedName(const std::string& line);

// An action line: its condition parses and compares, its code is in the catalogue, its
// fields fit the code, and (unexpanded) no macro stands where the action does not expand.
void CheckActionLine(CheckText& text, int line, const std::string& value, LineContext context);

// A component's file line and shortcut line.
void CheckFileLine(CheckText& text, int line, const std::string& value);
void CheckShortcutLine(CheckText& text, int line, const std::string& value);

}  // namespace vx::pack
