// The wizard's page sequence and button rules, as plain logic over the install script. The
// window system only renders what this decides.
#pragma once
#include <string>
#include <vector>

#include "engine/base/Texts.h"

namespace vx {

enum class PageKind {
  Welcome,
  Agreement,
  UserInfo,
  SelectType,
  SelectComponent,
  SelectDestination,
  Review,
  Completion,
};

struct WizardPage {
  PageKind kind;
  std::string title;
  bool isFirstPage = false;
  bool isLastPage = false;
  bool maintenanceMode = false;
};

// What a page shows on its buttons when it becomes active.
struct WizardButtons {
  bool backEnabled = false;
  bool nextEnabled = false;
  bool finishEnabled = false;
  bool cancelEnabled = true;
  std::string backText, nextText, finishText, cancelText;
};

class InstallWizard {
 public:
  explicit InstallWizard(std::string caption) : caption_(std::move(caption)) {}

  // The three ways of filling a fresh sheet.
  void FillFull();
  void FillModify();
  void FillCompletion();

  const std::string& Caption() const { return caption_; }
  const std::vector<WizardPage>& Pages() const { return pages_; }
  bool Finished() const { return finished_; }
  void SetFinished(bool f) { finished_ = f; }

  static WizardButtons ButtonsFor(const WizardPage& page);
  static TextId TitleId(PageKind kind);

 private:
  void AddPage(PageKind kind, bool maintenance = false);

  std::string caption_;
  std::vector<WizardPage> pages_;
  bool finished_ = false;
};

}  // namespace vx
