// The file search dialog: the search text, the folder being searched (live), and one button:
// Stop while the search runs (the main window's exit command), OK once several folders are
// listed to choose from.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class SearchDialog : public QDialog {
 public:
  SearchDialog(QWidget* parent, const std::string& title, Automation& automation);
  void SetText(const std::string& text);
  void SetFolder(const std::string& folder);
  void ShowWindow(bool visible);
  // The list of the folders found, the first selected; modal until OK. The index chosen, or
  // -1 when closed otherwise.
  int ChooseResult(const std::string& text, const std::vector<std::string>& folders);

  QLabel* Text() const { return text_; }
  QLabel* Folder() const { return folder_; }
  QListWidget* List() const { return list_; }
  QPushButton* Button() const { return button_; }

  // Stop while searching.
  std::function<void()> onStop;

 private:
  std::string title_, textValue_;
  Automation& automation_;
  QLabel* text_;
  QLabel* folder_;
  QListWidget* list_;
  QPushButton* button_;
  bool choosing_ = false;
};

}  // namespace vx::qt
