#include "engine/ui/qt/BodyDrag.h"

#include <QMouseEvent>

namespace vx::qt {

namespace {

class BodyDragFilter : public QObject {
 public:
  explicit BodyDragFilter(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton) return false;
        grab_ = e->globalPosition().toPoint() - window_.frameGeometry().topLeft();
        dragging_ = true;
        return true;
      }
      case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (!dragging_ || !(e->buttons() & Qt::LeftButton)) return false;
        window_.move(e->globalPosition().toPoint() - grab_);
        return true;
      }
      case QEvent::MouseButtonRelease:
        dragging_ = false;
        return false;
      default:
        return false;
    }
  }

 private:
  QWidget& window_;
  QPoint grab_;
  bool dragging_ = false;
};

}  // namespace

void DragByBody(QWidget& window) { window.installEventFilter(new BodyDragFilter(window)); }

}  // namespace vx::qt
