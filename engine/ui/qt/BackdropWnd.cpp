#include "engine/ui/qt/BackdropWnd.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

#include "engine/base/Texts.h"
#include "engine/ui/qt/AboutBox.h"
#include "engine/ui/qt/BackdropPainter.h"
#include "engine/ui/qt/DialogRun.h"
#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

void BackdropCanvas::paintEvent(QPaintEvent*) {
  ++paints_;
  QPainter painter(this);
  PaintBackdrop(painter, size(), layout_, image_);
}

CBackdropWnd::CBackdropWnd(Automation& automation) : automation_(automation) {
  setWindowTitle("Vx Installer");
  setWindowIcon(ProgramIcon());
  QMenu* file = menuBar()->addMenu(ToQt(LoadText(TextId::MenuFile)));
  QAction* exit = file->addAction(ToQt(LoadText(TextId::MenuExit)));
  QMenu* help = menuBar()->addMenu(ToQt(LoadText(TextId::MenuHelp)));
  QAction* about = help->addAction(ToQt(LoadText(TextId::MenuAbout)));
  connect(exit, &QAction::triggered, this, [this] {
    if (onExit) onExit();
  });
  connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
  canvas_ = new BackdropCanvas(this, layout_, image_);
  // The canvas paints every pixel itself (black paints nothing: the window stays black).
  canvas_->setAutoFillBackground(true);
  QPalette black = canvas_->palette();
  black.setColor(QPalette::Window, Qt::black);
  canvas_->setPalette(black);
  setCentralWidget(canvas_);
}

void CBackdropWnd::ApplyLayout(const ScreenLayout& layout) {
  layout_ = layout;
  image_ = layout.image;
  laidOut_ = true;
  if (layout.style2 == 2) return;  // no backdrop at all
  if (layout.style1 != 0)
    setWindowFlag(Qt::FramelessWindowHint, true);
  else
    setWindowTitle(ToQt(layout.caption));
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
  Size2 size = BackdropSize(layout.style2, {screen ? screen->geometry().width() : 640,
                                            screen ? screen->geometry().height() : 480});
  // A 640 by 480 backdrop on a smaller screen is cut to the screen, so nothing is out of reach.
  resize(std::min(size.width, room.width()), std::min(size.height, room.height()));
  move(room.topLeft());
  show();
  FitOnScreen(*this);
  canvas_->update();
  automation_.SnapshotSoon(this, "backdrop");
}

int CBackdropWnd::SetBulletin(const std::string& imageName) {
  image_ = imageName;
  canvas_->update();
  if (isVisible()) automation_.SnapshotSoon(this, "backdrop");
  return 1;
}

void CBackdropWnd::PlaceProgress(QWidget& window) {
  window.adjustSize();
  QRect client;
  if (isVisible()) {
    client = QRect(canvas_->mapToGlobal(QPoint(0, 0)), canvas_->size());
  } else {
    QScreen* screen = QGuiApplication::primaryScreen();
    client = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
  }
  QRect own = window.frameGeometry();
  own.moveCenter(client.center());
  int x = ProgressEdge(layout_.progressX, own.left(), client.right() + 1, own.width());
  int y = ProgressEdge(layout_.progressY, own.top(), client.bottom() + 1, own.height());
  window.move(x, y);
}

void CBackdropWnd::ShowAbout() {
  AboutBox box(this);
  box.Run(automation_);
}

void CBackdropWnd::closeEvent(QCloseEvent* event) {
  // The close box asks the quit question like Exit; the owner closes the window for good.
  event->ignore();
  if (onExit) onExit();
}

}  // namespace vx::qt
