// A wizard page window: 280 by 170 dialog units, controls placed by their dialog-unit
// rectangles and named by their control ids, an optional side picture on the left.
#pragma once
#include <QFrame>
#include <QWidget>
#include <string>

#include "engine/ui/WizardSheet.h"
#include "engine/ui/qt/wizard/DialogUnits.h"
#include "engine/ui/ControlIds.h"

class QLabel;

namespace vx {

enum class PageNext { Proceed, Stay, UninstallAll };

// kCtlSidePicture: the frame the side picture is drawn into.
class SidePictureFrame : public QFrame {
 public:
  explicit SidePictureFrame(QWidget* parent);
  void SetFile(std::string file);
  const std::string& File() const { return file_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string file_;
};

class CWZPage : public QWidget {
 public:
  static constexpr int kWidthUnits = 280;
  static constexpr int kHeightUnits = 170;

  CWZPage(const WizardPage& info, const DialogUnits& units, QWidget* parent);
  const WizardPage& Info() const { return info_; }

  // Once, when the page first becomes active.
  virtual void Initialise() {}
  // Every time it becomes active (after the wizard has set its buttons).
  virtual void Activate() {}
  // Next pressed: the page's own work; Stay keeps the wizard on the page.
  virtual PageNext Next() { return PageNext::Proceed; }

  // The control with this id, or null.
  template <class T = QWidget>
  T* Control(int id) const {
    return findChild<T*>(QString::number(id));
  }
  SidePictureFrame* Picture() const { return picture_; }

 protected:
  // Names the widget by its id and places it at the dialog-unit rectangle.
  template <class T>
  T* Place(T* widget, int id, int x, int y, int w, int h) {
    widget->setObjectName(QString::number(id));
    widget->setGeometry(units_.Rect(x, y, w, h));
    return widget;
  }
  // A word-wrapped static text.
  QLabel* AddText(int id, int x, int y, int w, int h, const std::string& text = "");
  // The side picture frame at 7,7, 76 by 144 units.
  void AddSidePicture();
  void SetPictureFile(std::string file);

  const DialogUnits& Units() const { return units_; }

 private:
  WizardPage info_;
  DialogUnits units_;
  SidePictureFrame* picture_ = nullptr;
};

// The page window of a page kind.
CWZPage* CreatePage(const WizardPage& info, const DialogUnits& units, QWidget* parent);

}  // namespace vx
