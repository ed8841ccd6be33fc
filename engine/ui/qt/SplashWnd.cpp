#include "engine/ui/qt/SplashWnd.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/QtDeviceContext.h"
#include "engine/ui/qt/UiThread.h"
#include "platform/System.h"

namespace vx::qt {

namespace {

// The drawing thread's surface: each operation paints into the shared image under the lock
// and asks the window to show it, so the window shows the transition as it grows.
class SplashDc : public DeviceContext {
 public:
  SplashDc(std::mutex& mutex, QImage& image, QWidget* window)
      : mutex_(mutex), image_(image), window_(window) {}
  int SetStretchBltMode(int mode) override {
    int previous = mode_;
    mode_ = mode;
    return previous;
  }
  int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) override {
    return Paint([&](QtDeviceContext& dc) { return dc.SetDIBitsToDevice(x, y, header, bits); });
  }
  int StretchDIBits(int x, int y, int w, int h, const BitmapInfoHeader& header,
                    const void* bits) override {
    return Paint([&](QtDeviceContext& dc) { return dc.StretchDIBits(x, y, w, h, header, bits); });
  }

 private:
  template <class F>
  int Paint(F f) {
    int rows;
    {
      std::lock_guard lock(mutex_);
      QPainter painter(&image_);
      QtDeviceContext dc(painter);
      dc.SetStretchBltMode(mode_);
      rows = f(dc);
    }
    QPointer<QWidget> window(window_);
    HandToInterfaceThread(
        [window] {
          if (window) window->update();
        },
        /*wait=*/false);
    return rows;
  }
  std::mutex& mutex_;
  QImage& image_;
  QWidget* window_;
  int mode_ = kBlackOnWhite;
};

}  // namespace

CSplashWnd::CSplashWnd(const std::string& image, Automation& automation)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      image_(image),
      automation_(automation) {
  setWindowTitle("Splash");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CSplashWnd::~CSplashWnd() {
  if (drawer_.joinable()) drawer_.join();
}

QImage CSplashWnd::Picture() const {
  std::lock_guard lock(mutex_);
  return picture_.copy();
}

void CSplashWnd::Draw() {
  QSize size = PictureSize(image_);
  if (size.isEmpty()) {
    empty_ = true;
    drawn_ = true;
    return;
  }
  {
    std::lock_guard lock(mutex_);
    picture_ = QImage(size, QImage::Format_RGB32);
    picture_.fill(Qt::black);
  }
  // Sizing, centring and showing belong to the window's thread; the drawing waits for them.
  QPointer<CSplashWnd> self(this);
  HandToInterfaceThread(
      [self, size] {
        if (!self) return;
        self->resize(size);
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen) {
          QRect r(QPoint(0, 0), size);
          r.moveCenter(screen->geometry().center());
          self->move(r.topLeft());
        }
        self->show();
      },
      /*wait=*/true);
  SplashDc dc(mutex_, picture_, this);
  DrawPicture(dc, image_, 0, 0, size.width(), size.height(), 1, 5);
  drawn_ = true;
}

void CSplashWnd::Run() {
  QElapsedTimer since;
  since.start();
  drawer_ = std::thread([this] { Draw(); });
  const double stay = double(kStayMs) * PaceFactor();
  bool pictured = false;
  QEventLoop loop;
  while (true) {
    loop.processEvents(QEventLoop::AllEvents, 20);
    if (drawn_ && !pictured && !empty_) {
      pictured = true;
      repaint();
      automation_.Snapshot(this, "splash");
    }
    // A picture that cannot be read shows nothing: there is nothing to wait for.
    if (drawn_ && (empty_ || clicked_ || double(since.elapsed()) > stay)) break;
    if (!drawn_) QThread::msleep(5);
  }
  if (drawer_.joinable()) drawer_.join();
  hide();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  std::lock_guard lock(mutex_);
  if (picture_.isNull())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(0, 0, picture_);
}

void CSplashWnd::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) clicked_ = true;
}

}  // namespace vx::qt
