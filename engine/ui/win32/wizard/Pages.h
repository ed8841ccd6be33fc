// The eight wizard pages in native windows. Each reads and writes through the window-free
// page logic of engine/ui/WizardPages.h and only fills and reads its template's controls.
#pragma once
#include <array>

#include "engine/ui/PageWindows.h"
#include "engine/ui/WizardPages.h"
#include "engine/ui/win32/wizard/ItemListWnd.h"
#include "engine/ui/win32/wizard/PageWnd.h"

namespace vx::win32 {

class CWZWelcome : public PageOfKind<CWZPage, PageKind::Welcome> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
};

class CWZAgreement : public PageOfKind<CWZPage, PageKind::Agreement> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
};

class CWZUserInfo : public PageOfKind<CWZPage, PageKind::UserInfo> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  PageNext Next() override;
  bool Asked(int field) const { return logic_.fields[static_cast<std::size_t>(field)].asked; }
  // The field (name, company, e-mail) the last Next found empty; -1 when none.
  int EmptyField() const { return empty_; }

 private:
  UserInfoPage logic_;
  int empty_ = -1;
};

class CWZSelectType : public PageOfKind<CWZPage, PageKind::SelectType> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  PageNext Next() override;
  bool Notify(NMHDR& header, LRESULT& result) override;
  CItemListWnd& List() { return list_; }

 private:
  SelectTypePage logic_;
  CItemListWnd list_;
};

class CWZSelectComponent : public PageOfKind<CWZPage, PageKind::SelectComponent> {
 public:
  CWZSelectComponent(CInstallWizard& wizard, const WizardPage& info)
      : PageOfKind(wizard, info), logic_(info.maintenanceMode) {}
  void Initialise() override;
  void Activate() override;
  PageNext Next() override;
  void Command(int id, int code) override;
  bool Notify(NMHDR& header, LRESULT& result) override;
  CItemListWnd& List() { return list_; }
  const ComponentPage& Logic() const { return logic_; }

 private:
  void ListCommand(int id);
  void ReadChecks();
  void UpdateTotal();
  ComponentPage logic_;
  CItemListWnd list_;
};

class CWZSelectDestination : public PageOfKind<CWZPage, PageKind::SelectDestination> {
 public:
  static constexpr int kRows = kDestinationRows;
  using PageOfKind::PageOfKind;
  void Initialise() override;
  void Activate() override;
  PageNext Next() override;
  void Command(int id, int code) override;
  static int LabelId(int row) { return kCtlDestinationLabel + kCtlDestinationRowStride * row; }
  static int DrivesId(int row) { return kCtlDestinationDrives + kCtlDestinationRowStride * row; }
  static int FolderId(int row) { return kCtlDestinationFolder + kCtlDestinationRowStride * row; }

 private:
  void ReadRows();
  void ShowRequired();
  DestinationPage logic_;
};

class CWZReview : public PageOfKind<CWZPage, PageKind::Review> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
  void Activate() override;
};

class CWZCompletion : public PageOfKind<CWZPage, PageKind::Completion> {
 public:
  using PageOfKind::PageOfKind;
  void Initialise() override;
};

}  // namespace vx::win32
