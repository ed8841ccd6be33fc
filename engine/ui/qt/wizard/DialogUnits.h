// Dialog units to pixels, from a font's metrics the way dialog templates are laid out: four
// horizontal units per average character width, eight vertical units per character height.
// Pages keep their proportions with any font; Qt's own device scaling keeps them crisp.
#pragma once
#include <QFont>
#include <QRect>

namespace vx {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  int X(int units) const;  // a horizontal distance
  int Y(int units) const;  // a vertical distance
  QRect Rect(int x, int y, int width, int height) const;
  int BaseWidth() const { return baseX_; }
  int BaseHeight() const { return baseY_; }

 private:
  int baseX_;
  int baseY_;
};

}  // namespace vx
