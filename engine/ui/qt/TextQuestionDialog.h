// A question with an edit field: the disk prompt "Insert Diskette" (OK, Cancel, Browse,
// which picks a folder into the field) and the other text questions (OK, Cancel).
#pragma once
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <string>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class TextQuestionDialog : public QDialog {
 public:
  // `browse`: the Browse button's text, "" for none.
  TextQuestionDialog(QWidget* parent, const std::string& caption, const std::string& text,
                     const std::string& value, const std::string& okText,
                     const std::string& cancelText, const std::string& browseText);
  // True on OK, with `value` the field's text.
  bool Run(Automation& automation, std::string& value);

  QLineEdit* Field() const { return field_; }
  QPushButton* Browse() const { return browse_; }
  QPushButton* Ok() const { return ok_; }
  QPushButton* Cancel() const { return cancel_; }
  // The folder chooser behind Browse (tests replace it): the folder picked, or "" for none.
  std::function<QString(const QString& start)> chooseFolder;

 private:
  std::string caption_, text_;
  QLineEdit* field_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* browse_ = nullptr;
};

}  // namespace vx::qt
