// The progress windows move when dragged by any point of their body, as if their caption
// had been taken.
#pragma once
#include <QWidget>

namespace vx::qt {

void DragByBody(QWidget& window);

}  // namespace vx::qt
