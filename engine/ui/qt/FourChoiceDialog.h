// The four-choice prompt about one file: Yes, Yes to all, No, No to all (0 to 3); closed
// any other way it answers No (2).
#pragma once
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <string>
#include <vector>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class FourChoiceDialog : public QDialog {
 public:
  // `buttonTexts`: Yes, Yes to all, No, No to all.
  FourChoiceDialog(QWidget* parent, const std::string& caption, const std::string& question,
                   const std::vector<std::string>& buttonTexts);
  int Run(Automation& automation);
  QPushButton* Button(int choice) const { return buttons_[std::size_t(choice)]; }
  QPlainTextEdit* Question() const { return question_; }

 private:
  std::string caption_, text_;
  QPlainTextEdit* question_;
  std::array<QPushButton*, 4> buttons_{};
};

}  // namespace vx::qt
