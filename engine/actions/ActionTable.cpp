#include "engine/actions/ActionTable.h"

#include "engine/actions/Catalogue.h"
#include "engine/actions/ValueSource.h"

namespace vx {

namespace {

using E = ActionExpansion;
constexpr int kAny = kAnyFieldCount;

constexpr ActionRow kActions[] = {
    {1, "check user privilege", "none", 0, 1, E::Unread, CheckUserPrivilege, "", nullptr},
    {2, "set variable", "name | value", 1, kAny, E::NameValue, AssignVariable, "", nullptr},
    {3, "write INI value", "file | section | key | value", 3, kAny, E::ValueOnly, WriteIniValue,
     "delete INI key", DeleteIniKey},
    {4, "write registry value", "root key | subkey | value name | value", 3, kAny, E::ValueOnly,
     WriteRegistryValue, "delete registry value", DeleteRegistryValue},
    {5, "edit text file", "file | search text | second text | new text | fallback | numbers", 6, 6,
     E::Whole, EditTextFile, "undo text edit", UndoTextFileEdit},
    {6, "run command", "command | show | wait", 3, 3, E::Whole, RunCommand, "", nullptr},
    {7, "run program", "program | arguments | show | wait", 4, 4, E::Whole, RunProgram, "",
     nullptr},
    {8, "open document", "file | show | wait", 3, 3, E::Whole, OpenDocument, "", nullptr},
    {9, "call DLL function", "library | function | argument", 3, 3, E::Whole, CallLibraryFunction,
     "", nullptr},
    {10, "update bulletin board", "image file", 1, kAny, E::Nothing, UpdateBulletinBoard, "",
     nullptr},
    {11, "play sound", "wave file | mode", 1, 2, E::Whole, PlaySoundAction, "", nullptr},
    {12, "message box", "text | type | continue-on-yes", 2, 3, E::Whole, ShowMessageAction, "",
     nullptr},
    {13, "choose from list", "prompt | item | item ...", 2, kAny, E::Nothing, ChooseFromListAction,
     "", nullptr},
    {14, "pause", "seconds", 1, 1, E::Nothing, PauseAction, "", nullptr},
    {15, "stop installation", "none", 0, 1, E::Unread, StopInstallation, "", nullptr},
    {16, "restart computer", "none", 0, 1, E::Unread, RestartComputer, "", nullptr},
};

// A row's place is its code less one, so that a lookup is an index.
constexpr bool RowsInCodeOrder() {
  for (std::size_t i = 0; i < std::size(kActions); ++i)
    if (kActions[i].code != kFirstActionCode + static_cast<int>(i)) return false;
  return std::size(kActions) == kLastActionCode - kFirstActionCode + 1;
}
static_assert(RowsInCodeOrder(), "one row per action code, in code order");

}  // namespace

std::span<const ActionRow> ActionTable() { return kActions; }

const ActionRow* ActionRowOf(int code) {
  if (code < kFirstActionCode || code > kLastActionCode) return nullptr;
  return &kActions[code - kFirstActionCode];
}

}  // namespace vx
