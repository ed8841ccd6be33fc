#include "engine/ui/qt/QtDeviceContext.h"

#include <cstdlib>
#include <cstring>

namespace vx::qt {

namespace {
// Beyond this a header is not a picture anyone draws on a screen.
constexpr std::int64_t kMaxSide = 1 << 15;
}  // namespace

QImage ImageOfDib(const BitmapInfoHeader& header, const void* bits) {
  if (bits == nullptr || header.biBitCount != 24 || header.biCompression != 0) return {};
  std::int64_t width = header.biWidth;
  std::int64_t rows = std::llabs(std::int64_t(header.biHeight));
  if (width <= 0 || rows <= 0 || width > kMaxSide || rows > kMaxSide) return {};
  const bool bottomUp = header.biHeight > 0;
  const std::uint64_t stride = DibRowBytes(std::uint32_t(width));
  QImage image(int(width), int(rows), QImage::Format_RGB888);
  if (image.isNull()) return {};
  const auto* src = static_cast<const std::uint8_t*>(bits);
  for (std::int64_t y = 0; y < rows; ++y) {
    const std::uint8_t* row = src + std::uint64_t(bottomUp ? rows - 1 - y : y) * stride;
    std::uint8_t* out = image.scanLine(int(y));
    for (std::int64_t x = 0; x < width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  return image;
}

void DibOfImage(const QImage& source, BitmapInfoHeader& header, QByteArray& bits) {
  QImage image = source.convertToFormat(QImage::Format_RGB888);
  header = BitmapInfoHeader{};
  header.biWidth = image.width();
  header.biHeight = image.height();
  const std::uint64_t stride = DibRowBytes(std::uint32_t(image.width()));
  bits = QByteArray(qsizetype(stride * std::uint64_t(image.height())), '\0');
  auto* out = reinterpret_cast<std::uint8_t*>(bits.data());
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* in = image.constScanLine(y);
    std::uint8_t* row = out + std::uint64_t(image.height() - 1 - y) * stride;
    for (int x = 0; x < image.width(); ++x) {
      row[3 * x] = in[3 * x + 2];
      row[3 * x + 1] = in[3 * x + 1];
      row[3 * x + 2] = in[3 * x];
    }
  }
}

int QtDeviceContext::SetStretchBltMode(int mode) {
  int previous = mode_;
  mode_ = mode;
  return previous;
}

int QtDeviceContext::SetDIBitsToDevice(int x, int y, const BitmapInfoHeader& header,
                                       const void* bits) {
  QImage image = ImageOfDib(header, bits);
  if (image.isNull()) return 0;
  painter_.drawImage(QPoint(x, y), image);
  return image.height();
}

int QtDeviceContext::StretchDIBits(int x, int y, int width, int height,
                                   const BitmapInfoHeader& header, const void* bits) {
  QImage image = ImageOfDib(header, bits);
  if (image.isNull() || width == 0 || height == 0) return 0;
  // COLORONCOLOR (and the two monochrome modes) take the nearest pixel; HALFTONE averages.
  painter_.save();
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, mode_ == kHalftone);
  painter_.drawImage(QRect(x, y, width, height), image);
  painter_.restore();
  return image.height();
}

}  // namespace vx::qt
