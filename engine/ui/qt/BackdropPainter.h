// The backdrop's painting, apart from its window so that it can draw into any image: the
// background rows, the picture and the two titles.
#pragma once
#include <QFont>
#include <QPainter>
#include <string>

#include "engine/ui/ScreenLayout.h"

namespace vx::qt {

QFont FontOf(const FontSpec& wanted);

struct TitlePlace {
  int x = 0, y = 0;  // the shadow's top-left; the title itself is 2 pixels down and right
};
// Where the titles go in a client area of `size`.
TitlePlace MainTitlePlace(const ScreenLayout& layout, QSize size);
TitlePlace SubTitlePlace(const ScreenLayout& layout, QSize size);

// Paints everything into a client area of `size`; `image` is the picture now shown (the
// layout's, or the last bulletin's).
void PaintBackdrop(QPainter& painter, QSize size, const ScreenLayout& layout,
                   const std::string& image);

}  // namespace vx::qt
