// The sixteen action codes as one table: for each code its name, its argument fields with
// their names and how many a line may carry, what the action expands itself, the operation
// that runs it and the one that undoes it in an uninstall. The catalogue dispatches through
// it, vxpack's check reads its fields, and the script reference prints it.
#pragma once
#include <span>
#include <string>

namespace vx {

inline constexpr int kFirstActionCode = 1;
inline constexpr int kLastActionCode = 16;
// A field count without upper bound (the last field takes the rest of the line).
inline constexpr int kAnyFieldCount = 1 << 30;

// What the action expands itself, in a line that is not expanded as a whole (pre-actions
// and completion lines).
enum class ActionExpansion {
  Whole,      // the whole argument text
  ValueOnly,  // only its value (the last field), through the value sources; the fields before
              // it stay as written
  NameValue,  // only its value: the name before it names a variable, braces and all
  Nothing,    // nothing at all
  Unread,     // the arguments are not read
};

struct ActionRow {
  int code;
  const char* name;    // "write INI value"
  const char* fields;  // the argument fields by name, "file | section | key | value"
  int minFields, maxFields;
  ActionExpansion expansion;
  void (*run)(std::string arguments);
  const char* undoName;                 // "" when the uninstall runner skips the code
  void (*undo)(std::string arguments);  // null when the uninstall runner skips the code
};

std::span<const ActionRow> ActionTable();
// The row of a catalogue code; null for any other number.
const ActionRow* ActionRowOf(int code);

}  // namespace vx
