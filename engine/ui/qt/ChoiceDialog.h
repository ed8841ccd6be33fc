// A list to choose from: the side picture, a prompt, a single-selection list and OK (a
// double click on an item is OK). Closed without OK it answers -1.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <string>
#include <vector>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class ChoiceDialog : public QDialog {
 public:
  ChoiceDialog(QWidget* parent, const std::string& caption, const std::string& prompt,
               const std::vector<std::string>& items, int preselected, const std::string& okText);
  int Run(Automation& automation);

  QListWidget* List() const { return list_; }
  QPushButton* Ok() const { return ok_; }
  QLabel* Picture() const { return picture_; }

 private:
  std::string caption_, prompt_;
  QLabel* picture_;
  QListWidget* list_;
  QPushButton* ok_;
};

}  // namespace vx::qt
