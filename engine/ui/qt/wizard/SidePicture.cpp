#include "engine/ui/qt/wizard/SidePicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/QtDeviceContext.h"

namespace vx {

void DrawBuiltInSidePicture(QPainter& p, const QRect& a) {
  p.save();
  p.setClipRect(a);
  p.setRenderHint(QPainter::Antialiasing, true);
  QLinearGradient sky(a.topLeft(), a.bottomLeft());
  sky.setColorAt(0.0, QColor(14, 40, 110));
  sky.setColorAt(0.65, QColor(30, 110, 170));
  sky.setColorAt(1.0, QColor(200, 225, 240));
  p.fillRect(a, sky);
  const double w = a.width(), h = a.height();
  auto at = [&](double fx, double fy) { return QPointF(a.left() + fx * w, a.top() + fy * h); };
  // Three rings rising like bubbles.
  p.setPen(QPen(QColor(255, 255, 255, 90), std::max(1.0, w / 40)));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(at(0.22, 0.16), w * 0.10, w * 0.10);
  p.drawEllipse(at(0.70, 0.26), w * 0.16, w * 0.16);
  p.drawEllipse(at(0.38, 0.40), w * 0.06, w * 0.06);
  // An open box with a disc dropping into it.
  QPolygonF front({at(0.18, 0.66), at(0.82, 0.66), at(0.82, 0.86), at(0.18, 0.86)});
  QPolygonF lidLeft({at(0.18, 0.66), at(0.50, 0.66), at(0.36, 0.58), at(0.06, 0.60)});
  QPolygonF lidRight({at(0.50, 0.66), at(0.82, 0.66), at(0.94, 0.60), at(0.64, 0.58)});
  p.setPen(QPen(QColor(90, 60, 20), std::max(1.0, w / 60)));
  p.setBrush(QColor(214, 170, 96));
  p.drawPolygon(front);
  p.setBrush(QColor(190, 146, 76));
  p.drawPolygon(lidLeft);
  p.drawPolygon(lidRight);
  const double r = w * 0.17;
  QPointF disc = at(0.50, 0.50);
  QRadialGradient shine(disc, r);
  shine.setColorAt(0.0, QColor(250, 250, 255));
  shine.setColorAt(0.6, QColor(180, 200, 230));
  shine.setColorAt(1.0, QColor(120, 140, 190));
  p.setPen(QPen(QColor(60, 70, 110), std::max(1.0, w / 80)));
  p.setBrush(shine);
  p.drawEllipse(disc, r, r);
  p.setBrush(QColor(30, 110, 170));
  p.drawEllipse(disc, r * 0.22, r * 0.22);
  // The installer's initials at the foot.
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(std::max(8, static_cast<int>(w * 0.22)));
  p.setFont(f);
  p.setPen(QColor(20, 40, 90));
  p.drawText(QRectF(at(0.0, 0.87), at(1.0, 1.0)), Qt::AlignCenter, QStringLiteral("Vx"));
  p.restore();
}

void DrawSidePicture(QPainter& painter, const QRect& frame, const std::string& file) {
  QRect inside = frame.adjusted(1, 1, -1, -1);
  if (inside.isEmpty()) return;
  if (file.empty()) {
    DrawBuiltInSidePicture(painter, inside);
    return;
  }
  // Through the picture service: stretched, without a transition.
  qt::QtDeviceContext dc(painter);
  qt::DrawPicture(dc, file, inside.left(), inside.top(), inside.right() + 1, inside.bottom() + 1, 3,
                  -1);
}

}  // namespace vx
