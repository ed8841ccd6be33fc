// The switches as answers: /TYPE=, /COMPONENTS= and /DIR= are written into the working copy
// where the wizard and a response file write their answers, and a response file is written
// from the working copy (the answers of a run, for /SAVEINF=, and the script's defaults plus
// the switches, for /S).
#pragma once
#include <string>

#include "engine/base/Switches.h"

namespace vx {

// Writes the install type, the component choice and the first destination the switches
// give into the working copy. False, with the reason, when a switch names an install type or
// a component the script does not have (or a component the user could not choose).
bool ApplySwitchAnswers(const Switches& switches, std::string& error);

// What the user information fields hold.
enum class UserAnswers {
  Given,     // the values the wizard wrote (HKEY_CURRENT_USER ...\UserInfo)
  Defaults,  // the values the wizard's page starts with
};

// Writes a response file (section ResponseFile) holding the working copy's answers: user
// information, install type, ComponentN for each line of the installed-type list, and
// InstallPathN for each destination. False when it cannot be written.
bool WriteResponseFile(const std::string& file, UserAnswers users);

}  // namespace vx
