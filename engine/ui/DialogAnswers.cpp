#include "engine/ui/DialogAnswers.h"

#include "engine/ui/Ui.h"

#ifndef VX_ABOUT_ADDRESS
#define VX_ABOUT_ADDRESS "https://example.org/vx-installer"
#endif
#ifndef VX_ABOUT_MAKER
#define VX_ABOUT_MAKER "The Vx Installer developers"
#endif

namespace vx {

int MessageBoxPress(AnswerSession& session, const ScriptedAnswer& answer,
                    const std::string& caption, const std::string& text, std::uint32_t type) {
  std::string accepts;
  std::optional<int> id = MessageBoxAnswer(answer.text, type, accepts);
  if (session.Refused(answer, DialogName(caption, text), accepts)) return ClosingButton(type);
  return *id;
}

int FourChoicePress(AnswerSession& session, const ScriptedAnswer& answer,
                    const std::string& caption, const std::string& question) {
  std::string accepts;
  std::optional<int> result = FourChoiceAnswer(answer.text, accepts);
  if (session.Refused(answer, DialogName(caption, question), accepts)) return kFourChoiceNo;
  return *result;
}

TextAnswer TextQuestionPress(AnswerSession& session, const ScriptedAnswer& answer,
                             const std::string& caption, const std::string& text) {
  std::string accepts;
  std::optional<TextAnswer> taken = EditFieldAnswer(answer.text, accepts);
  if (session.Refused(answer, DialogName(caption, text), accepts)) return {};
  return *taken;
}

int ListPress(AnswerSession& session, const ScriptedAnswer& answer, int count, int current,
              const std::string& dialog) {
  std::string accepts;
  std::optional<int> index = ListAnswer(answer.text, count, current, accepts);
  if (session.Refused(answer, dialog, accepts) || !index || *index < 0) return -1;
  return *index;
}

bool ConfirmPress(AnswerSession& session, const ScriptedAnswer& answer, const std::string& caption,
                  const std::string& text) {
  std::string accepts;
  std::optional<int> id = MessageBoxAnswer(answer.text, kMbOkCancel, accepts);
  bool refused = session.Refused(answer, DialogName(caption, text), accepts);
  return !refused && *id != kIdCancel;
}

void AboutPress(AnswerSession& session, const ScriptedAnswer& answer) {
  std::string accepts;
  MessageBoxAnswer(answer.text, kMbOk, accepts);
  session.Refused(answer, kAboutCaption, accepts);
}

std::string TextQuestionWord(bool ok, bool typed, const std::string& value) {
  return !ok ? "cancel" : typed ? "text:" + value : "ok";
}

std::string ListWord(int row) { return row < 0 ? "cancel" : std::to_string(row); }

std::string ConfirmText(const std::vector<std::string>& texts) {
  std::string text;
  for (std::size_t i = 0; i < texts.size(); ++i) text += (i ? "\r\n\r\n" : "") + texts[i];
  return text;
}

const char* const kAboutCaption = "About Install";
const char* const kAboutVersion = "Vx Installer Version 5.03";

const char* AboutAddress() { return VX_ABOUT_ADDRESS; }

std::string AboutMakerLine() { return VX_ABOUT_MAKER "  " VX_ABOUT_ADDRESS; }

}  // namespace vx
