#include "engine/ui/qt/Automation.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/ui/SnapshotName.h"

namespace vx::qt {

Automation::Automation(bool scripted, std::vector<std::string> answers, std::string snapshotDir)
    : AnswerSession(scripted, std::move(answers)), snapshotDir_(std::move(snapshotDir)) {}

Automation::Automation(Automation&& other) noexcept { *this = std::move(other); }

Automation& Automation::operator=(Automation&& other) noexcept {
  if (this == &other) return *this;
  static_cast<AnswerSession&>(*this) = static_cast<AnswerSession&&>(other);
  std::scoped_lock lock(mutex_, other.mutex_);
  snapshotDir_ = std::move(other.snapshotDir_);
  order_ = other.order_;
  return *this;
}

Automation Automation::FromEnvironment() {
  std::string dir;
  const char* snapshots = std::getenv("VX_SNAPSHOTS");
  if (snapshots && *snapshots) {
    dir = snapshots;
    if (!QDir().mkpath(QString::fromLocal8Bit(snapshots))) {
      std::fprintf(stderr, "VX_SNAPSHOTS: cannot create %s; no pictures are saved\n", snapshots);
      dir.clear();
    }
  }
  Automation automation(false, {}, std::move(dir));
  automation.SetAnswers(AnswerQueue::FromEnvironment());
  return automation;
}

void Automation::Snapshot(QWidget* window, const std::string& kind) {
  if (snapshotDir_.empty() || window == nullptr || !window->isVisible()) return;
  // Numbers go on from the pictures already there, so that the extractor's and this
  // program's pictures of one run stay in order.
  QDir dir(QString::fromLocal8Bit(snapshotDir_.c_str()));
  int highest = 0;
  for (const QString& file : dir.entryList({"*.png"}, QDir::Files)) {
    int n = SnapshotOrderOf(file.toStdString());
    if (n > highest) highest = n;
  }
  int order;
  {
    std::lock_guard lock(mutex_);
    order_ = std::max(order_, highest) + 1;
    order = order_;
  }
  std::string name = SnapshotFileName(order, kind, window->windowTitle().toStdString());
  QImage picture = window->grab().toImage();
  // A window over the main window is shown where it is, on the main window's picture.
  QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  if (owner && owner != window && owner->isVisible() && window->isWindow()) {
    QImage scene = owner->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QPainter painter(&scene);
    painter.drawImage(window->geometry().topLeft() - owner->geometry().topLeft(), picture);
    painter.end();
    picture = scene;
  }
  QString path =
      QDir(QString::fromLocal8Bit(snapshotDir_.c_str())).filePath(QString::fromStdString(name));
  if (!picture.save(path, "PNG"))
    std::fprintf(stderr, "VX_SNAPSHOTS: cannot write %s\n", name.c_str());
}

void Automation::SnapshotSoon(QWidget* window, const std::string& kind) {
  if (snapshotDir_.empty() || window == nullptr) return;
  if (!pending_.insert(window).second) return;
  QPointer<QWidget> guard(window);
  QTimer::singleShot(0, window, [this, guard, window, kind] {
    pending_.erase(window);
    if (guard) Snapshot(guard, kind);
  });
}

}  // namespace vx::qt
