// The modeless windows of a phase: the preparation dialog (a status line and a bar), the
// transfer and the uninstall progress (heading, detail, bar, Cancel) and the file search
// (what is sought, where, and the folders found to choose from).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/ui/win32/Dialog.h"

namespace vx::win32 {

enum class ProgressKind { Preparation, Transfer, Uninstall };

class ProgressWindow : public Dialog {
 public:
  ProgressWindow(Automation& automation, ProgressKind kind, const std::string& title, HWND owner);
  ProgressKind Kind() const { return progress_; }
  void SetHeading(const std::string& text);
  void SetDetail(const std::string& text);
  void SetPosition(int percent);
  void HideCancel();
  void ShowWindow(bool visible);
  std::function<void()> onCancel;

 private:
  bool OnCommand(int id, int code) override;
  void Changed();
  ProgressKind progress_;
};

class SearchDialog : public Dialog {
 public:
  SearchDialog(Automation& automation, const std::string& title, HWND owner);
  void SetText(const std::string& text);
  void SetFolder(const std::string& folder);
  void ShowWindow(bool visible);
  // The folders found: the one taken (OK), or -1.
  int ChooseResult(const std::string& text, const std::vector<std::string>& folders);
  std::function<void()> onStop;

 private:
  bool OnCommand(int id, int code) override;
  void OnAnswer(const ScriptedAnswer& answer) override;
  void ListShown(bool shown);
  std::string title_, text_;
  bool choosing_ = false;
  int chosen_ = -2;  // -2 while the choice is open
  int listHeight_ = 0;
};

}  // namespace vx::win32
