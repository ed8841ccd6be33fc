// The eight wizard pages. Each reads and writes through the window-free page logic of
// engine/ui/WizardPages.h and only adds the controls.
#pragma once
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "engine/ui/PageWindows.h"
#include "engine/ui/WizardPages.h"
#include "engine/ui/qt/wizard/WizardPageWnd.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vx {

class CItemListWnd;
class CNoHighlightEditor;

class CWZWelcome : public PageOfKind<CWZPage, PageKind::Welcome> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
};

class CWZAgreement : public PageOfKind<CWZPage, PageKind::Agreement> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  CNoHighlightEditor* License() const { return license_; }

 private:
  CNoHighlightEditor* license_ = nullptr;
};

class CWZUserInfo : public PageOfKind<CWZPage, PageKind::UserInfo> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  PageNext Next() override;
  QLineEdit* Edit(int field) const { return edits_[field]; }  // name, company, e-mail
  bool Asked(int field) const { return logic_.fields[static_cast<std::size_t>(field)].asked; }
  // The field the last Next found empty; -1 when none.
  int EmptyField() const { return empty_; }

 private:
  UserInfoPage logic_;
  std::array<QLineEdit*, kUserInfoFields> edits_{};
  int empty_ = -1;
};

class CWZSelectType : public PageOfKind<CWZPage, PageKind::SelectType> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  PageNext Next() override;
  CItemListWnd* List() const { return list_; }
  const SelectTypePage& Logic() const { return logic_; }

 private:
  void Command(int id);
  SelectTypePage logic_;
  CItemListWnd* list_ = nullptr;
};

class CWZSelectComponent : public PageOfKind<CWZPage, PageKind::SelectComponent> {
 public:
  CWZSelectComponent(const WizardPage& info, const DialogUnits& units, QWidget* parent);
  void Initialise() override;
  void Activate() override;
  PageNext Next() override;
  CItemListWnd* List() const { return list_; }
  QCheckBox* UninstallAll() const { return uninstallAll_; }

 private:
  void Command(int id);
  void UpdateTotal();
  void ReadChecks();
  ComponentPage logic_;
  CItemListWnd* list_ = nullptr;
  QCheckBox* uninstallAll_ = nullptr;
};

class CWZSelectDestination : public PageOfKind<CWZPage, PageKind::SelectDestination> {
 public:
  static constexpr int kRows = kDestinationRows;
  using PageOfKind::PageOfKind;
  void Initialise() override;
  void Activate() override;
  PageNext Next() override;
  QComboBox* Drives(int row) const { return drives_[row]; }
  QLineEdit* Directory(int row) const { return dirs_[row]; }
  QTreeWidget* Table() const { return table_; }
  QPushButton* BrowseButton(int row) const { return browse_[row]; }
  static constexpr int kBrowseId = 1100;  // + the row: each row's Browse button
  // The folder chooser behind Browse: a host folder from a start folder, "" when cancelled.
  // Default: the platform's folder dialog.
  std::function<QString(const QString& startHost)> chooseHostFolder;

 private:
  void ReadRows();
  void Browse(int row);
  void ShowRequired();
  DestinationPage logic_;
  std::array<QComboBox*, kRows> drives_{};
  std::array<QLineEdit*, kRows> dirs_{};
  std::array<QPushButton*, kRows> browse_{};
  QTreeWidget* table_ = nullptr;
};

class CWZReview : public PageOfKind<CWZPage, PageKind::Review> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  void Activate() override;
  CNoHighlightEditor* Summary() const { return summary_; }

 private:
  CNoHighlightEditor* summary_ = nullptr;
};

class CWZCompletion : public PageOfKind<CWZPage, PageKind::Completion> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
};

}  // namespace vx
