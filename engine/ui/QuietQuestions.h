// The interface of a run given /SUPPRESSMSGBOXES: every message box and question takes its
// default answer without being shown (and is noted on standard error, as the headless
// interface notes its dialogs); everything else (the wizard, progress, the main window) is
// the wrapped interface's.
#pragma once
#include <memory>

#include "engine/ui/Ui.h"

namespace vx {

std::unique_ptr<Ui> QuietQuestions(std::shared_ptr<Ui> inner);

}  // namespace vx
