// The item list's scroll rules: line, page and thumb steps, and the beep at either end.
#include <QScrollBar>

#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "tests/qtwizard/QtWizardFixture.h"

namespace vx::test {
namespace {

class ItemList : public QtWizardTest {
 protected:
  // A list whose client area is `clientHeight` pixels high, with `rows` check rows.
  void Make(int rows, int clientHeight) {
    list = std::make_unique<CItemListWnd>(nullptr);
    list->resize(200, clientHeight + 2 * list->frameWidth());
    std::vector<CItemListWnd::Item> items;
    for (int i = 0; i < rows; ++i) items.push_back({"Row " + std::to_string(i), true, false});
    list->Fill(CItemListWnd::Mode::Check, items);
    list->show();
    Activate(list.get());
  }
  using S = CItemListWnd::Scroll;
  std::unique_ptr<CItemListWnd> list;
};

TEST_F(ItemList, ScrollRulesAndBeepsAtTheEnds) {
  Make(10, 85);
  EXPECT_EQ(list->Maximum(), 10 * 20 - 85);  // 115
  EXPECT_TRUE(list->ScrollBar()->isVisible());
  EXPECT_EQ(list->ScrollBar()->maximum(), 115);

  list->ScrollRequest(S::LineUp);  // at the top
  EXPECT_EQ(ui->Beeps(), 1);
  EXPECT_EQ(list->Position(), 0);
  for (int i = 0; i < 6; ++i) list->ScrollRequest(S::LineDown);
  EXPECT_EQ(list->Position(), 120);  // past the maximum by 5: the last row shows whole
  EXPECT_EQ(list->Button(9)->mapTo(list.get(), QPoint(0, 0)).y() + 20 - list->frameWidth(), 80);
  EXPECT_EQ(list->ScrollBar()->value(), 115);
  list->ScrollRequest(S::LineDown);
  list->ScrollRequest(S::PageDown);
  EXPECT_EQ(ui->Beeps(), 3);
  EXPECT_EQ(list->Position(), 120);

  list->ScrollRequest(S::PageUp);  // 4 rows fit: 80
  EXPECT_EQ(list->Position(), 40);
  list->ScrollRequest(S::PageUp);  // no more than back to the top
  EXPECT_EQ(list->Position(), 0);
  list->ScrollRequest(S::PageDown);
  EXPECT_EQ(list->Position(), 80);
  list->ScrollRequest(S::PageDown);  // at most to the maximum
  EXPECT_EQ(list->Position(), 115);
  list->ScrollRequest(S::PageUp);
  EXPECT_EQ(list->Position(), 35);

  list->ScrollRequest(S::ThumbTrack, 40);  // down: one row more than asked
  EXPECT_EQ(list->Position(), 60);
  list->ScrollRequest(S::ThumbTrack, 30);  // up: as asked
  EXPECT_EQ(list->Position(), 30);
  list->ScrollRequest(S::Other);
  EXPECT_EQ(list->Position(), 30);
  EXPECT_EQ(ui->Beeps(), 3);

  // The scroll bar's own arrows and page areas go through the same rules.
  list->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(list->Position(), 50);
  list->ScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);  // not a request it knows
  EXPECT_EQ(list->Position(), 50);
  EXPECT_EQ(list->ScrollBar()->value(), 50);
}

TEST_F(ItemList, ShortOrEmptyListsHaveNoScrollBar) {
  for (int rows : {0, 1, 4}) {
    Make(rows, 85);  // four rows: 80 < 85
    EXPECT_FALSE(list->ScrollBar()->isVisible()) << rows;
    list->ScrollRequest(S::LineDown);
  }
  EXPECT_EQ(ui->Beeps(), 3);
  Make(5, 85);
  EXPECT_TRUE(list->ScrollBar()->isVisible());
  // Arrow keys walk the rows and bring them into view.
  list->Button(0)->setFocus();
  for (int i = 0; i < 4; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_TRUE(list->Button(4)->hasFocus());
  EXPECT_EQ(list->Position(), 20);
}

}  // namespace
}  // namespace vx::test
