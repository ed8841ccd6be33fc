// The engine's one message box: caption, text, the buttons and icon of its type. A long text
// scrolls inside the box so that the buttons stay on the screen.
#pragma once
#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class MessageBoxDialog : public QDialog {
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
  QMessageBox::Icon icon() const { return icon_; }
  QString text() const;
  QAbstractButton* Button(int id) const;

 protected:
  void reject() override;

 private:
  std::string caption_, text_;
  std::uint32_t type_;
  QMessageBox::Icon icon_;
  std::vector<Choice> choices_;  // the default first
  QAbstractButton* escape_ = nullptr;
  const Choice* taken_ = nullptr;
};

}  // namespace vx::qt
