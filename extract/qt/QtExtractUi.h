// The extractor's progress dialog in Qt: no caption, a label, a bar from 1 to 100 and
// Cancel. Its events are handled whenever the extractor's loop gives the dialog a turn.
// $VX_ANSWERS and $VX_SNAPSHOTS work as in the engine's windows.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/ui/AnswerCheck.h"
#include "extract/ExtractUi.h"

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QApplication;
class QWidget;

namespace vx::extract {

class QtExtractUi : public ExtractUi {
 public:
  // `scripted`: answers come from `answers` (the default when they run out), not a user.
  QtExtractUi(bool scripted, std::vector<std::string> answers, std::string snapshotDir);
  QtExtractUi(AnswerQueue answers, std::string snapshotDir);
  static std::unique_ptr<QtExtractUi> FromEnvironment();
  ~QtExtractUi() override;

  void Open() override;
  void Close() override;
  void SetLabel(const std::string& text) override;
  void SetProgress(int position) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void Beep() override;
  bool TakeCancelClick() override;
  bool CanWaitForUser() const override { return !scripted_; }

  QDialog* Dialog() const { return dialog_; }
  QLabel* Label() const { return label_; }
  QProgressBar* Bar() const { return bar_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void Turn();  // handles the dialog's pending events
  void Snapshot(QWidget* window, const char* kind);
  // Takes the next answer for a box of `type` into `id` (refusing one that does not fit);
  // false when the user answers.
  bool Answer(const std::string& text, std::uint32_t type, int defaultId, int& id);

  std::unique_ptr<QApplication> app_;
  bool scripted_;
  AnswerQueue answers_;
  std::string snapshotDir_;
  QDialog* dialog_ = nullptr;
  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool cancelClicked_ = false;
};

// Makes CreateExtractUi() offer this dialog.
void RegisterQtExtractUi();

}  // namespace vx::extract
