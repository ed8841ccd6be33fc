// The backdrop's pixels, titles and progress placement, and the bulletin board fed from a
// worker thread.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <thread>

#include "engine/ui/qt/BackdropPainter.h"
#include "engine/ui/qt/BackdropWnd.h"
#include "engine/ui/qt/MessageBoxDialog.h"
#include "engine/ui/qt/ProgressWindow.h"
#include "tests/qt/QtFixture.h"

namespace vx::test {
namespace {

using qt::PaintBackdrop;

QImage Paint(const ScreenLayout& layout, const std::string& image = "", int w = 100, int h = 100) {
  QImage out(w, h, QImage::Format_RGB32);
  out.fill(QColor(1, 2, 3));  // what "nothing painted" leaves
  QPainter p(&out);
  PaintBackdrop(p, out.size(), layout, image);
  p.end();
  return out;
}

class BackdropTest : public QtTest {};

TEST_F(BackdropTest, BackgroundRowsFollowColourAndGradient) {
  ScreenLayout l;
  l.background = 0x00FF0000;
  l.gradient = true;
  QImage img = Paint(l);
  EXPECT_EQ(QColor(img.pixel(10, 0)), QColor(0, 0, 255));
  EXPECT_EQ(qBlue(img.pixel(10, 50)), 255 - 50 * 255 / 100);
  EXPECT_EQ(qBlue(img.pixel(99, 99)), 255 - 99 * 255 / 100);
  // White with gradient: white at the top to yellow at the bottom.
  l.background = 0x00FFFFFF;
  img = Paint(l);
  EXPECT_EQ(QColor(img.pixel(0, 0)), QColor(255, 255, 255));
  EXPECT_EQ(QColor(img.pixel(0, 99)), QColor(255, 255, 3));
  // Black paints no background, gradient or not.
  l.background = 0;
  img = Paint(l);
  EXPECT_EQ(QColor(img.pixel(50, 50)), QColor(1, 2, 3));
  // Without gradient every row is the colour (0x00BBGGRR).
  l.background = 0x00336699;
  l.gradient = false;
  img = Paint(l);
  EXPECT_EQ(QColor(img.pixel(5, 95)), QColor(0x99, 0x66, 0x33));
}

TEST_F(BackdropTest, PictureIsPlacedByItsStyle) {
  std::string pic = Picture("C:\\Pics\\red.bmp", 10, 10, Qt::red);
  ScreenLayout l;
  l.background = 0x00FF0000;
  auto red = [](const QImage& i, int x, int y) { return QColor(i.pixel(x, y)) == QColor(Qt::red); };
  // Every style draws one pixel in from the rectangle's corner.
  l.imageStyle = 0;  // top-left
  QImage img = Paint(l, pic);
  EXPECT_TRUE(red(img, 1, 1));
  EXPECT_FALSE(red(img, 0, 0));
  EXPECT_FALSE(red(img, 50, 50));
  l.imageStyle = 1;  // centred
  img = Paint(l, pic);
  EXPECT_TRUE(red(img, 50, 50));
  EXPECT_FALSE(red(img, 0, 0));
  l.imageStyle = 2;  // tiled
  img = Paint(l, pic);
  EXPECT_TRUE(red(img, 95, 95));
  EXPECT_TRUE(red(img, 1, 55));
  l.imageStyle = 3;  // stretched
  img = Paint(l, pic);
  EXPECT_TRUE(red(img, 98, 1));
  EXPECT_TRUE(red(img, 50, 98));
  EXPECT_FALSE(red(img, 99, 50)) << "a one-pixel frame stays";
  // A picture that cannot be read leaves the background as painted.
  img = Paint(l, "C:\\Pics\\none.bmp");
  EXPECT_EQ(QColor(img.pixel(50, 50)), QColor(0, 0, 255));
}

TEST_F(BackdropTest, TitlesGoWhereTheirCodesSayWithShadowAndSubTitleBelow) {
  ScreenLayout l;
  l.background = 0x00FFFFFF;
  l.main.text = "Demo Product";
  ParseFontString("Sans | 255 -20 700", l.main.font);  // red
  l.sub.text = "Setup";
  ParseFontString("Sans | 65280 -12", l.sub.font);  // green
  QSize size(400, 300);
  QFontMetrics mainM(qt::FontOf(l.main.font)), subM(qt::FontOf(l.sub.font));
  const int length = 12;
  for (int code : {0, 1, 2}) {
    l.main.xCode = l.main.yCode = code;
    l.sub.xCode = code;
    l.sub.yCode = code;
    qt::TitlePlace m = qt::MainTitlePlace(l, size);
    EXPECT_EQ(m.x, TitleX(code, 400, length, mainM.averageCharWidth())) << code;
    EXPECT_EQ(m.y, TitleY(code, 300, mainM.height())) << code;
    // Same y code: the sub title right under the main title.
    EXPECT_EQ(qt::SubTitlePlace(l, size).y, m.y + mainM.height()) << code;
  }
  l.main.xCode = l.main.yCode = 0;
  l.sub.yCode = 2;
  EXPECT_EQ(qt::SubTitlePlace(l, size).y, 300 - subM.height() - 6);

  // The pixels: shadow (blue 10) and red title near the top-left, green sub title at the bottom.
  QImage img = Paint(l, "", 400, 300);
  bool shadow = false, title = false, sub = false;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      QColor c(img.pixel(x, y));
      if (y < 40 && c == QColor(0, 0, 10)) shadow = true;
      if (y < 40 && c == QColor(255, 0, 0)) title = true;
      if (y > 250 && c.green() > 200 && c.red() < 50 && c.blue() < 100) sub = true;
    }
  EXPECT_TRUE(shadow);
  EXPECT_TRUE(title);
  EXPECT_TRUE(sub);
}

TEST_F(BackdropTest, LayoutCaptionSizeAndProgressPlacement) {
  UseScript({"[<ScreenLayout>]", "Style2=1", "MsgBoxCaption=Demo Setup", "WinBkColor=16711680",
             "ProgressWndX=2", "ProgressWndY=0"});
  ASSERT_TRUE(qtUi->CreateMainWindow());
  qtUi->LayoutMainWindow();
  qt::CBackdropWnd* b = qtUi->Backdrop();
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->isVisible());
  EXPECT_EQ(b->windowTitle(), "Demo Setup");
  EXPECT_EQ(b->size(), QSize(640, 480));
  qt::ProgressWindow w(b, qt::ProgressKind::Transfer, "Install", qtUi->Script());
  w.SetHeading("Start to transfer files...");
  b->PlaceProgress(w);
  QRect client(b->Canvas()->mapToGlobal(QPoint(0, 0)), b->Canvas()->size());
  EXPECT_EQ(w.frameGeometry().top(), 1);
  EXPECT_EQ(w.frameGeometry().left(), client.right() + 1 - w.frameGeometry().width());
  ScreenLayout l = b->Layout();
  l.progressX = 1;
  l.progressY = 1;  // where it centred itself
  b->ApplyLayout(l);
  b->PlaceProgress(w);
  EXPECT_LE(std::abs(w.frameGeometry().center().x() - client.center().x()), 1);
  EXPECT_LE(std::abs(w.frameGeometry().center().y() - client.center().y()), 1);
  l.progressX = 5;
  l.progressY = 0;
  b->ApplyLayout(l);
  b->PlaceProgress(w);
  EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(0, 1));

  // Style2 2: no backdrop at all.
  UseScript({"[<ScreenLayout>]", "Style2=2"});
  qt::CBackdropWnd hidden(qtUi->Script());
  hidden.ApplyLayout(ReadScreenLayout());
  EXPECT_FALSE(hidden.isVisible());
}

TEST_F(BackdropTest, BulletinSentFromAWorkerRepaintsBeforeTheWorkerGoesOn) {
  UseScript({"[<ScreenLayout>]", "Style2=1", "WinBkColor=255"});
  qtUi->CreateMainWindow();
  qtUi->LayoutMainWindow();
  qt::CBackdropWnd* b = qtUi->Backdrop();
  std::string pic = Picture("C:\\Pics\\bb1.bmp", 20, 20, Qt::green);
  std::atomic<bool> done{false};
  std::string seenByWorker;
  std::thread worker([&] {
    CurrentUi().SetBulletin(pic);  // through the dispatcher, as code 10 sends it
    seenByWorker = b->Image();     // the window has copied the name when the send returns
    done = true;
  });
  ASSERT_TRUE(SpinUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(seenByWorker, pic);
  QImage shown = b->Canvas()->grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(5, 5)), QColor(Qt::green));
  EXPECT_EQ(QColor(shown.pixel(100, 100)), QColor(255, 0, 0));
}

TEST_F(BackdropTest, FitsSmallAndScaledScreens) {
  // The offscreen screen, scaled by QT_SCALE_FACTOR in the scaled runs of this test.
  QRect room = QGuiApplication::primaryScreen()->availableGeometry();
  UseScript({"[<ScreenLayout>]", "Style2=1", "WinBkColor=255"});
  qtUi->CreateMainWindow();
  qtUi->LayoutMainWindow();
  QRect got = qtUi->Backdrop()->frameGeometry();
  EXPECT_TRUE(room.contains(got)) << room.width() << "x" << room.height() << " " << got.x() << ","
                                  << got.y() << " " << got.width() << "x" << got.height();
  Answer("ok");
  std::string longText(3000, 'x');
  for (std::size_t i = 50; i < longText.size(); i += 50) longText[i] = ' ';
  bool fitted = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && dynamic_cast<qt::MessageBoxDialog*>(w))
        fitted = room.contains(w->frameGeometry());
  });
  EXPECT_EQ(qtUi->MessageBox("Demo", longText, kMbOk), kIdOk);
  EXPECT_TRUE(fitted);
}

}  // namespace
}  // namespace vx::test
