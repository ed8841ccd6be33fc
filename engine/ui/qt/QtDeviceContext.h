// The picture service's drawing surface over a Qt painter: a window's paint, or an image
// that a thread draws into (the splash window).
#pragma once
#include <QImage>
#include <QPainter>

#include "platform/DeviceContext.h"

namespace vx::qt {

class QtDeviceContext : public DeviceContext {
 public:
  explicit QtDeviceContext(QPainter& painter) : painter_(painter) {}
  int SetStretchBltMode(int mode) override;
  int SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header, const void* bits) override;
  int StretchDIBits(int x, int y, int width, int height, const BitmapInfoHeader& header,
                    const void* bits) override;
  int StretchMode() const { return mode_; }

 private:
  QPainter& painter_;
  int mode_ = kBlackOnWhite;
};

// A 24-bit DIB as an image (a null image when the header is not one of those).
QImage ImageOfDib(const BitmapInfoHeader& header, const void* bits);
// An image as a 24-bit bottom-up DIB: the header and its rows.
void DibOfImage(const QImage& image, BitmapInfoHeader& header, QByteArray& bits);

}  // namespace vx::qt
