#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include "engine/base/Texts.h"
#include "engine/ui/MessageBox.h"
#include "engine/ui/Ui.h"
#include "engine/ui/qt/wizard/Pages.h"
#include "engine/ui/DestinationView.h"
#include "engine/ui/qt/wizard/QtText.h"
#include "engine/ui/ControlIds.h"
#include "platform/Machine.h"

namespace vx {

namespace {
// The row's path as the script will store it, for the tooltip that shows it whole.
QString FullPath(const QComboBox* drive, const QLineEdit* dir) {
  QString d = drive->currentText(), rest = dir->text().trimmed();
  if (rest.startsWith(QLatin1Char('\\')) && d.endsWith(QLatin1Char('\\'))) d.chop(1);
  return d + rest;
}
}  // namespace

void CWZSelectDestination::Initialise() {
  AddText(kCtlPagePrompt, 7, 7, 266, 16, LoadText(TextId::DestinationPrompt));
  for (int n = 0; n < kRows; ++n) {
    const int y = 27 + 12 * n;
    // The label is short so that the folder field shows a whole path; the tooltips hold the
    // texts in full.
    QLabel* label = AddText(kCtlDestinationLabel + kCtlDestinationRowStride * n, 7, y + 2, 50, 8);
    label->setWordWrap(false);
    drives_[n] = Place(new QComboBox(this), kCtlDestinationDrives + kCtlDestinationRowStride * n,
                       59, y, 27, 48);
    // A drop-down is as tall as its edit part; the 48 units are its list's.
    drives_[n]->setGeometry(Units().Rect(59, y, 27, 12));
    dirs_[n] = Place(new QLineEdit(this), kCtlDestinationFolder + kCtlDestinationRowStride * n, 88,
                     y, 146, 12);
    browse_[n] =
        Place(new QPushButton(Qs(LoadText(TextId::Browse)), this), kBrowseId + n, 236, y, 37, 12);
    label->setBuddy(dirs_[n]);
    auto tip = [this, n] { dirs_[n]->setToolTip(FullPath(drives_[n], dirs_[n])); };
    connect(dirs_[n], &QLineEdit::textChanged, this, tip);
    connect(drives_[n], &QComboBox::currentTextChanged, this, tip);
    connect(browse_[n], &QPushButton::clicked, this, [this, n] { Browse(n); });
    // A drive picked in any row rewrites the paths and recomputes the table.
    connect(drives_[n], &QComboBox::activated, this, [this, n](int) {
      ReadRows();
      logic_.ChangeDrive(static_cast<std::size_t>(n), Std(drives_[n]->currentText()));
      ShowRequired();
    });
  }
  table_ = Place(new QTreeWidget(this), kCtlDriveTable, 7, 113, 266, 56);
  table_->setRootIsDecorated(false);
  QStringList titles;
  for (const char* title : kDriveColumnTitles) titles << QString::fromLatin1(title);
  table_->setHeaderLabels(titles);
  table_->setAccessibleName(QStringLiteral("Drives"));
  table_->header()->setStretchLastSection(false);

  if (!logic_.Initialise()) {
    ShowMessage(kTooManyDestinationsText, kMbOk | kMbIconStop);
    return;
  }
  for (int n = 0; n < kRows; ++n) {
    const bool used = n < static_cast<int>(logic_.rows.size());
    QLabel* label = Control<QLabel>(kCtlDestinationLabel + kCtlDestinationRowStride * n);
    label->setVisible(used);
    drives_[n]->setVisible(used);
    dirs_[n]->setVisible(used);
    browse_[n]->setVisible(used);
    if (!used) continue;
    const DestinationPage::Row& r = logic_.rows[n];
    label->setText(StaticText(r.label));
    label->setToolTip(StaticText(r.label));
    browse_[n]->setEnabled(r.editable);
    browse_[n]->setAccessibleName(Qs(LoadText(TextId::Browse) + " " + r.label));
    for (const std::string& d : logic_.drives) drives_[n]->addItem(Qs(d));
    drives_[n]->setCurrentIndex(r.drive.empty() ? -1 : drives_[n]->findText(Qs(r.drive)));
    dirs_[n]->setText(Qs(r.directory));
    dirs_[n]->setCursorPosition(0);  // a path longer than the field shows its beginning
    drives_[n]->setEnabled(r.editable);
    dirs_[n]->setEnabled(r.editable);
    drives_[n]->setAccessibleName(Qs(r.label));
    dirs_[n]->setAccessibleName(Qs(r.label));
  }
  const int width = table_->contentsRect().width();
  for (int c = 0; c < kDriveColumnCount; ++c) table_->setColumnWidth(c, DriveColumnWidth(c, width));
  for (const DestinationPage::DriveRow& d : logic_.table) {
    auto* item = new QTreeWidgetItem(table_);
    const auto cells = DriveCells(d);
    for (int c = 0; c < kDriveColumnCount; ++c)
      item->setText(c, Qs(cells[static_cast<std::size_t>(c)]));
  }
}

void CWZSelectDestination::Browse(int row) {
  // The chooser shows the machine's folders by their host names; the row takes the Windows
  // name of the folder picked, on a drive the page offers.
  std::optional<std::string> start =
      Machine::Current().ToHost(Std(FullPath(drives_[row], dirs_[row])));
  while (start && !start->empty() && !QFileInfo(QString::fromStdString(*start)).isDir()) {
    std::size_t cut = start->find_last_of('/');
    if (cut == std::string::npos || cut == 0) break;
    start->erase(cut);
  }
  const QString startHost = start ? QString::fromStdString(*start) : QString();
  const QString picked = chooseHostFolder ? chooseHostFolder(startHost)
                                          : QFileDialog::getExistingDirectory(
                                                this, Qs(LoadText(TextId::Browse)), startHost);
  if (picked.isEmpty()) return;
  std::string win = Machine::Current().FromOutside(Std(picked));
  std::string drive, dir;
  SplitDrivePath(win, drive, dir);
  int index = drives_[row]->findText(Qs(drive), Qt::MatchFixedString);
  if (win.empty() || index < 0) {
    ShowMessage("The folder \"" + (win.empty() ? Std(picked) : win) +
                    "\" is not on a drive this product can be installed to.",
                kMbOk | kMbIconExclamation);
    return;
  }
  drives_[row]->setCurrentIndex(index);
  dirs_[row]->setText(Qs(dir));
  ReadRows();
  logic_.ChangeDrive(static_cast<std::size_t>(row), Std(drives_[row]->currentText()));
  ShowRequired();
  dirs_[row]->setFocus();
}

void CWZSelectDestination::Activate() {
  logic_.Activate();
  ShowRequired();
}

void CWZSelectDestination::ReadRows() {
  for (std::size_t n = 0; n < logic_.rows.size() && n < kRows; ++n) {
    logic_.rows[n].drive = drives_[n]->currentIndex() < 0 ? "" : Std(drives_[n]->currentText());
    logic_.rows[n].directory = Std(dirs_[n]->text());
  }
}

void CWZSelectDestination::ShowRequired() {
  for (int i = 0; i < table_->topLevelItemCount() && i < static_cast<int>(logic_.table.size()); ++i)
    table_->topLevelItem(i)->setText(kRequiredColumn, Qs(RequiredCell(logic_.table[i])));
}

PageNext CWZSelectDestination::Next() {
  ReadRows();
  const std::string refusal = TakeNext(logic_);
  if (refusal.empty()) return PageNext::Proceed;
  ShowMessage(refusal, kMbOk | kMbIconExclamation);
  return PageNext::Stay;
}

}  // namespace vx
