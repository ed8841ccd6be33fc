#include "engine/ui/qt/BackdropPainter.h"

#include <QFontMetrics>

#include "engine/ui/qt/Pictures.h"
#include "engine/ui/qt/QtDeviceContext.h"
#include "engine/ui/qt/QtText.h"

namespace vx::qt {

namespace {

QColor ColourOf(std::uint32_t colour) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

int LengthOf(const std::string& text) { return int(ToQt(text).size()); }

}  // namespace

QFont FontOf(const FontSpec& wanted) {
  QFont font;
  if (!wanted.face.empty()) font.setFamily(ToQt(wanted.face));
  if (int pixels = FontPixelHeight(wanted.height)) font.setPixelSize(pixels);
  if (wanted.weight > 0) font.setWeight(QFont::Weight(std::clamp(wanted.weight, 1, 1000)));
  font.setItalic(wanted.italic != 0);
  font.setUnderline(wanted.underline != 0);
  font.setStrikeOut(wanted.strikeOut != 0);
  return font;
}

TitlePlace MainTitlePlace(const ScreenLayout& layout, QSize size) {
  QFontMetrics m(FontOf(layout.main.font));
  return {TitleX(layout.main.xCode, size.width(), LengthOf(layout.main.text), m.averageCharWidth()),
          TitleY(layout.main.yCode, size.height(), m.height())};
}

TitlePlace SubTitlePlace(const ScreenLayout& layout, QSize size) {
  QFontMetrics main(FontOf(layout.main.font));
  QFontMetrics sub(FontOf(layout.sub.font));
  int mainY = TitleY(layout.main.yCode, size.height(), main.height());
  return {TitleX(layout.sub.xCode, size.width(), LengthOf(layout.sub.text), sub.averageCharWidth()),
          SubTitleY(layout.sub.yCode, layout.main.yCode, mainY, main.height(), size.height(),
                    sub.height())};
}

void PaintBackdrop(QPainter& painter, QSize size, const ScreenLayout& layout,
                   const std::string& image) {
  const int w = size.width(), h = size.height();
  if (PaintsBackground(layout.background)) {
    for (int row = 0; row < h; ++row) {
      painter.setPen(QPen(ColourOf(RowColour(layout.background, layout.gradient, row, h)), 1));
      painter.drawLine(0, row, w, row);
    }
  }
  if (!image.empty()) {
    QtDeviceContext dc(painter);
    DrawPicture(dc, image, 0, 0, w, h, unsigned(layout.imageStyle), -1);
  }
  // Text is drawn with its cell's top at y, as the text calls place it.
  if (!layout.main.text.empty()) {
    QFont font = FontOf(layout.main.font);
    painter.setFont(font);
    QFontMetrics m(font);
    TitlePlace at = MainTitlePlace(layout, size);
    QString text = ToQt(layout.main.text);
    painter.setPen(ColourOf(kShadowColour));
    painter.drawText(at.x, at.y + m.ascent(), text);
    painter.setPen(ColourOf(layout.main.font.colour));
    painter.drawText(at.x + 2, at.y + 2 + m.ascent(), text);
  }
  if (!layout.sub.text.empty()) {
    QFont font = FontOf(layout.sub.font);
    painter.setFont(font);
    QFontMetrics m(font);
    TitlePlace at = SubTitlePlace(layout, size);
    painter.setPen(ColourOf(layout.sub.font.colour));
    painter.drawText(at.x, at.y + m.ascent(), ToQt(layout.sub.text));
  }
}

}  // namespace vx::qt
