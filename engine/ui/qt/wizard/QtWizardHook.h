// Hands the Qt interface its wizard windows: a program built with them calls this once at
// start, before the interface runs a wizard.
#pragma once

namespace vx {

void RegisterQtWizard();

}  // namespace vx
