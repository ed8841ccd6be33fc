#include "engine/ui/qt/Automation.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/Trim.h"

namespace vx::qt {

namespace {

// A file name part: letters, digits, '-' and '_' (blanks become '_'), at most 40 long.
std::string NamePart(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (out.size() >= 40) break;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')
      out += c;
    else if ((c == ' ' || c == '_' || c == '.') && !out.empty() && out.back() != '_')
      out += '_';
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out;
}

}  // namespace

std::string AnswerWord(const std::string& answer) {
  std::string w(TrimSpacesTabsAndLineEnds(answer));
  for (char& c : w)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return w;
}

bool TextAnswer(const std::string& answer, std::string& value) {
  std::string t(TrimSpacesTabsAndLineEnds(answer));
  if (AnswerWord(t.substr(0, 5)) != "text:") return false;
  value = answer.substr(answer.find(':') + 1);
  return true;
}

std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

Automation::Automation(bool scripted, std::vector<std::string> answers, std::string snapshotDir)
    : scripted_(scripted),
      answers_(answers.begin(), answers.end()),
      snapshotDir_(std::move(snapshotDir)) {}

Automation::Automation(Automation&& other) noexcept { *this = std::move(other); }

Automation& Automation::operator=(Automation&& other) noexcept {
  if (this == &other) return *this;
  std::scoped_lock lock(mutex_, other.mutex_);
  scripted_ = other.scripted_;
  answers_ = std::move(other.answers_);
  shown_ = std::move(other.shown_);
  snapshotDir_ = std::move(other.snapshotDir_);
  order_ = other.order_;
  return *this;
}

Automation Automation::FromEnvironment() {
  bool scripted = false;
  std::vector<std::string> answers;
  const char* file = std::getenv("VX_ANSWERS");
  if (file && *file) {
    scripted = true;
    std::ifstream in(file, std::ios::binary);
    if (!in)
      std::fprintf(stderr, "VX_ANSWERS: cannot read %s; every dialog takes its default\n", file);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      answers.push_back(line);
    }
  }
  std::string dir;
  const char* snapshots = std::getenv("VX_SNAPSHOTS");
  if (snapshots && *snapshots) {
    dir = snapshots;
    if (!QDir().mkpath(QString::fromLocal8Bit(snapshots))) {
      std::fprintf(stderr, "VX_SNAPSHOTS: cannot create %s; no pictures are saved\n", snapshots);
      dir.clear();
    }
  }
  return Automation(scripted, std::move(answers), std::move(dir));
}

std::optional<std::string> Automation::Take() {
  std::lock_guard lock(mutex_);
  if (!scripted_) return std::nullopt;
  if (answers_.empty()) return std::string();
  std::string a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

int Automation::TakeArrow() {
  std::lock_guard lock(mutex_);
  if (answers_.empty()) return 0;
  std::string w = AnswerWord(answers_.front());
  int arrow = (w == "left" || w == "up") ? -1 : (w == "right" || w == "down") ? +1 : 0;
  if (arrow != 0) answers_.pop_front();
  return arrow;
}

void Automation::Record(const std::string& caption, const std::string& text,
                        const std::string& answer) {
  std::string line = OneLine(caption) + " | " + OneLine(text) + " | " + OneLine(answer);
  std::lock_guard lock(mutex_);
  shown_.push_back(line);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

std::vector<std::string> Automation::Shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

std::vector<std::string> Automation::UnusedAnswers() const {
  std::lock_guard lock(mutex_);
  return {answers_.begin(), answers_.end()};
}

void Automation::AddAnswer(std::string answer) {
  std::lock_guard lock(mutex_);
  scripted_ = true;
  answers_.push_back(std::move(answer));
}

void Automation::Snapshot(QWidget* window, const std::string& kind) {
  if (snapshotDir_.empty() || window == nullptr || !window->isVisible()) return;
  // Numbers go on from the pictures already there, so that the extractor's and this
  // program's pictures of one run stay in order.
  QDir dir(QString::fromLocal8Bit(snapshotDir_.c_str()));
  int highest = 0;
  for (const QString& file : dir.entryList({"*.png"}, QDir::Files)) {
    bool ok = false;
    int n = file.left(4).toInt(&ok);
    if (ok && n > highest) highest = n;
  }
  int order;
  {
    std::lock_guard lock(mutex_);
    order_ = std::max(order_, highest) + 1;
    order = order_;
  }
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04d-", order);
  std::string title = NamePart(window->windowTitle().toStdString());
  std::string name = prefix + kind + (title.empty() ? "" : "-" + title) + ".png";
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
