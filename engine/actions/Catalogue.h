// The sixteen actions and the three undo actions. Each takes the argument text of its line
// (everything behind the description) and splits it with NextField.
#pragma once
#include <string>

namespace vx {

// Runs action `code` (a row of engine/actions/ActionTable.h); any other code does nothing.
void DispatchAction(int code, std::string arguments);
// Runs the undo of a code that has one (3, 4 and 5); any other code does nothing.
void DispatchUndoAction(int code, std::string arguments);

void CheckUserPrivilege(std::string arguments);    // 1
void WriteIniValue(std::string arguments);         // 3
void WriteRegistryValue(std::string arguments);    // 4
void EditTextFile(std::string arguments);          // 5
void RunCommand(std::string arguments);            // 6
void RunProgram(std::string arguments);            // 7
void OpenDocument(std::string arguments);          // 8
void CallLibraryFunction(std::string arguments);   // 9
void UpdateBulletinBoard(std::string arguments);   // 10
void PlaySoundAction(std::string arguments);       // 11
void ShowMessageAction(std::string arguments);     // 12
void ChooseFromListAction(std::string arguments);  // 13
void PauseAction(std::string arguments);           // 14
void StopInstallation(std::string arguments);      // 15
void RestartComputer(std::string arguments);       // 16

void DeleteIniKey(std::string arguments);         // undo 3
void DeleteRegistryValue(std::string arguments);  // undo 4
void UndoTextFileEdit(std::string arguments);     // undo 5

// The caption of the engine's dialogs: MsgBoxCaption of [<ScreenLayout>].
std::string DialogCaption();

}  // namespace vx
