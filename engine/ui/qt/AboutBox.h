// The about box: the program icon, the version line, the maker with its web address (both
// open the address when clicked), OK.
#pragma once
#include <QDialog>
#include <QLabel>
#include <functional>
#include <string>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget* parent);
  void Run(Automation& automation);
  QLabel* Icon() const { return icon_; }
  QLabel* Maker() const { return maker_; }
  // Opens the web address (tests replace it).
  std::function<void(const std::string& address)> open;
  static const char* Address();

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  QLabel* icon_;
  QLabel* maker_;
};

}  // namespace vx::qt
