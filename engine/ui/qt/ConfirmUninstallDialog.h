// The uninstall confirmation: three texts, OK and Cancel.
#pragma once
#include <QDialog>
#include <QPushButton>
#include <string>
#include <vector>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class ConfirmUninstallDialog : public QDialog {
 public:
  ConfirmUninstallDialog(QWidget* parent, const std::string& caption,
                         const std::vector<std::string>& texts, const std::string& okText,
                         const std::string& cancelText);
  // True for OK.
  bool Run(Automation& automation);
  QPushButton* Ok() const { return ok_; }
  QPushButton* Cancel() const { return cancel_; }

 private:
  std::string caption_, text_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace vx::qt
