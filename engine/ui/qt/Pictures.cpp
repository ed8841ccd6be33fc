#include "engine/ui/qt/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "engine/ui/qt/QtDeviceContext.h"
#include "library/Karvo.h"
#include "platform/Machine.h"

namespace vx::qt {

#ifndef VX_HAVE_DISPLAY_IMAGE
namespace {

// Until the library can draw pictures, Qt's readers stand in, placed as the service would.
QImage ReadImage(const std::string& file) {
  std::optional<std::string> host = Machine::Current().ToHost(file);
  if (!host) return {};
  QImage image(QString::fromStdString(*host));
  return image;
}

}  // namespace
#endif

void DrawPicture(DeviceContext& dc, const std::string& file, int left, int top, int right,
                 int bottom, unsigned style, int effect) {
  if (file.empty()) return;
#ifdef VX_HAVE_DISPLAY_IMAGE
  VxRect rect{left, top, right, bottom};
  VxDisplayImage(file.c_str(), &dc, rect, style, effect);
#else
  QImage image = ReadImage(file);
  if (image.isNull()) return;
  BitmapInfoHeader header;
  QByteArray bits;
  DibOfImage(image, header, bits);
  const int w = right - left, h = bottom - top;
  switch (style) {
    case 1:
      dc.SetDIBitsToDevice(left + (w - image.width()) / 2, top + (h - image.height()) / 2, header,
                           bits.constData());
      break;
    case 2:
      for (int y = top; y < bottom; y += image.height())
        for (int x = left; x < right; x += image.width())
          dc.SetDIBitsToDevice(x, y, header, bits.constData());
      break;
    case 3:
      dc.SetStretchBltMode(kColorOnColor);
      dc.StretchDIBits(left, top, w, h, header, bits.constData());
      break;
    default:
      dc.SetDIBitsToDevice(left, top, header, bits.constData());
      break;
  }
#endif
}

QSize PictureSize(const std::string& file) {
  if (file.empty()) return {0, 0};
#ifdef VX_HAVE_DISPLAY_IMAGE
  VxSize size{0, 0};
  RetrieveImageDimension(file.c_str(), &size);
  return {size.cx, size.cy};
#else
  QImage image = ReadImage(file);
  return image.isNull() ? QSize(0, 0) : image.size();
#endif
}

QIcon ProgramIcon() {
  QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // A box with a down arrow: something being put in place.
  QLinearGradient box(0, 8, 0, 30);
  box.setColorAt(0, QColor(0x4A, 0x7F, 0xD0));
  box.setColorAt(1, QColor(0x1E, 0x3F, 0x8A));
  p.setPen(QPen(QColor(0x10, 0x20, 0x50), 1));
  p.setBrush(box);
  p.drawRoundedRect(QRectF(3.5, 12.5, 25, 17), 2, 2);
  QPainterPath arrow;
  arrow.moveTo(13, 2);
  arrow.lineTo(19, 2);
  arrow.lineTo(19, 12);
  arrow.lineTo(24, 12);
  arrow.lineTo(16, 21);
  arrow.lineTo(8, 12);
  arrow.lineTo(13, 12);
  arrow.closeSubpath();
  p.setBrush(QColor(0xF2, 0xC1, 0x2E));
  p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
  p.drawPath(arrow);
  p.end();
  return QIcon(QPixmap::fromImage(image));
}

QImage SidePicture() {
  QImage image(96, 200, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient sky(0, 0, 0, 200);
  sky.setColorAt(0, QColor(0x00, 0x20, 0x80));
  sky.setColorAt(1, QColor(0x30, 0x90, 0xE0));
  p.fillRect(image.rect(), sky);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 5; ++i) {
    p.setBrush(QColor(255, 255, 255, 40 + 30 * i));
    p.drawEllipse(QPointF(48, 150 - 22 * i), 30 - 4 * i, 10 - i);
  }
  ProgramIcon().paint(&p, QRect(24, 20, 48, 48));
  p.end();
  return image;
}

}  // namespace vx::qt
