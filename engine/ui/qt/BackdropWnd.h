// CBackdropWnd: the main window behind the wizard and the progress window. Caption, icon and
// menu (File > Exit, Help > About); laid out from the script's <ScreenLayout>; painted with
// the background rows, the picture and the titles; the bulletin board changes its picture.
#pragma once
#include <QMainWindow>
#include <QWidget>
#include <functional>
#include <string>

#include "engine/ui/ScreenLayout.h"
#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class BackdropCanvas : public QWidget {
 public:
  BackdropCanvas(QWidget* parent, const ScreenLayout& layout, const std::string& image)
      : QWidget(parent), layout_(layout), image_(image) {}
  int Paints() const { return paints_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  const ScreenLayout& layout_;
  const std::string& image_;
  int paints_ = 0;
};

class CBackdropWnd : public QMainWindow {
 public:
  explicit CBackdropWnd(Automation& automation);

  // Applies the layout: hidden with Style2 2, else framed or not, sized and shown.
  void ApplyLayout(const ScreenLayout& layout);
  // MSG_SET_BULLETIN: the picture to show from now on; repaints everything. Returns 1.
  int SetBulletin(const std::string& imageName);
  // Centres `window` over the client area, then moves it by the progress placement codes.
  void PlaceProgress(QWidget& window);
  void ShowAbout();

  const ScreenLayout& Layout() const { return layout_; }
  const std::string& Image() const { return image_; }
  BackdropCanvas* Canvas() const { return canvas_; }
  bool LaidOut() const { return laidOut_; }

  // The exit command (menu Exit, close box): the quit confirmation is the owner's.
  std::function<void()> onExit;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Automation& automation_;
  ScreenLayout layout_;
  std::string image_;
  BackdropCanvas* canvas_;
  bool laidOut_ = false;
};

}  // namespace vx::qt
