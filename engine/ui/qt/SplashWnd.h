// CSplashWnd: the borderless splash window at start-up. A thread of its own reads the
// picture's size, has the window sized to it and centred, and draws the picture with the
// growing transition into an image that the window shows; the window stays until the
// picture is drawn and then for 10 seconds (scaled by $VX_PACE) unless it is clicked.
#pragma once
#include <QImage>
#include <QWidget>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "engine/ui/qt/Automation.h"

namespace vx::qt {

class CSplashWnd : public QWidget {
 public:
  CSplashWnd(const std::string& image, Automation& automation);
  ~CSplashWnd() override;

  // Shows the splash and returns when it is to go (the caller destroys it).
  void Run();

  bool Drawn() const { return drawn_; }
  bool Clicked() const { return clicked_; }
  // The picture as drawn so far.
  QImage Picture() const;
  static constexpr std::uint32_t kStayMs = 10000;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void Draw();  // the drawing thread

  std::string image_;
  Automation& automation_;
  mutable std::mutex mutex_;
  QImage picture_;
  std::thread drawer_;
  std::atomic<bool> drawn_{false};
  std::atomic<bool> clicked_{false};
  std::atomic<bool> empty_{false};  // the picture could not be read
};

}  // namespace vx::qt
