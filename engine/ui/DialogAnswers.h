// What a scripted answer presses on each dialog of the windowed UIs, decided once for all of
// them: a UI only presses or fills what these name. An answer that does not fit is refused
// (the run is cancelled) and the dialog closes without agreeing; once any answer of the run
// was refused every dialog closes so.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/AnswerSession.h"

namespace vx {

// Message box of `type` (kMb*): the button (kId*) to press.
int MessageBoxPress(AnswerSession& session, const ScriptedAnswer& answer,
                    const std::string& caption, const std::string& text, std::uint32_t type);
// Four-choice prompt: the button to press, 0 to 3. No is given by closing the prompt, as when
// it is closed without a button.
inline constexpr int kFourChoiceNo = 2;
int FourChoicePress(AnswerSession& session, const ScriptedAnswer& answer,
                    const std::string& caption, const std::string& question);
// A question with an edit field: not `ok` presses Cancel; else the value (when there is one)
// is typed into the field and OK pressed.
TextAnswer TextQuestionPress(AnswerSession& session, const ScriptedAnswer& answer,
                             const std::string& caption, const std::string& text);
// A list of `count` rows with row `current` selected, named `dialog` in a refusal: the row to
// select before OK is pressed; -1 closes the list without OK.
int ListPress(AnswerSession& session, const ScriptedAnswer& answer, int count, int current,
              const std::string& dialog);
// The uninstall confirmation (OK is its default): true presses OK, false Cancel.
bool ConfirmPress(AnswerSession& session, const ScriptedAnswer& answer, const std::string& caption,
                  const std::string& text);
// The about box: OK whatever the answer, a word that does not fit it refused.
void AboutPress(AnswerSession& session, const ScriptedAnswer& answer);

// The answer a dialog's line records: an edit field's (cancel, ok, or text: and the value
// when it was typed) and a list's (cancel, or the row).
std::string TextQuestionWord(bool ok, bool typed, const std::string& value);
std::string ListWord(int row);
// The uninstall confirmation's texts as its line shows them, a blank line between each two.
std::string ConfirmText(const std::vector<std::string>& texts);

// The about box's texts.
extern const char* const kAboutCaption;
extern const char* const kAboutVersion;
const char* AboutAddress();    // the maker's web address, set at build time
std::string AboutMakerLine();  // the maker and its web address

}  // namespace vx
