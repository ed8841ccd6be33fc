// The progress windows: the preparation dialog (status line and bar), the transfer window
// (heading, detail, bar and Cancel, which raises the stop request) and the uninstall window
// (two lines and a bar, no Cancel). All of them move when dragged by their body.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <string>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

enum class ProgressKind { Preparation, Transfer, Uninstall };

class ProgressWindow : public QDialog {
 public:
  ProgressWindow(QWidget* parent, ProgressKind kind, const std::string& title,
                 Automation& automation);
  void SetHeading(const std::string& text);
  void SetDetail(const std::string& text);
  void SetPosition(int percent);
  void HideCancel();
  void ShowWindow(bool visible);

  ProgressKind Kind() const { return kind_; }
  QLabel* Heading() const { return heading_; }
  QLabel* Detail() const { return detail_; }
  QProgressBar* Bar() const { return bar_; }
  QPushButton* CancelButton() const { return cancel_; }

  // What Cancel does (the transfer window: raise the stop request).
  std::function<void()> onCancel;

 private:
  void Changed();
  const char* KindName() const;

  ProgressKind kind_;
  Automation& automation_;
  QLabel* heading_;
  QLabel* detail_ = nullptr;
  QProgressBar* bar_;
  QPushButton* cancel_ = nullptr;
};

}  // namespace vx::qt
