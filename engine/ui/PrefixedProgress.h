// A progress window lent to another phase, whose headings say which phase it is: a rollback
// shown in the install window reads "Rolling back: Removing file for Docs".
#pragma once
#include <string>

#include "engine/ui/Ui.h"

namespace vx {

class PrefixedProgress : public ProgressView {
 public:
  PrefixedProgress(ProgressView& window, std::string prefix)
      : window_(window), prefix_(std::move(prefix)) {}
  void SetHeading(const std::string& text) override { window_.SetHeading(prefix_ + text); }
  void SetDetail(const std::string& text) override { window_.SetDetail(text); }
  void SetPosition(int percent) override { window_.SetPosition(percent); }
  void HideCancel() override { window_.HideCancel(); }
  void Show(bool visible) override { window_.Show(visible); }

 private:
  ProgressView& window_;
  std::string prefix_;
};

}  // namespace vx
