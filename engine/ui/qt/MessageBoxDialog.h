// The engine's one message box: caption, text, the buttons and icon of its type.
#pragma once
#include <QMessageBox>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class MessageBoxDialog : public QMessageBox {
 public:
  MessageBoxDialog(QWidget* parent, const std::string& caption, const std::string& text,
                   std::uint32_t type);
  // The kId* of the button taken.
  int Run(Automation& automation);

  struct Choice {
    std::string word;  // the answer that presses it
    int id;
    QAbstractButton* button;
  };
  const std::vector<Choice>& Choices() const { return choices_; }

 private:
  std::string caption_, text_;
  std::vector<Choice> choices_;  // the default first
};

}  // namespace vx::qt
