// The thread that owns every window of the Win32 interface. Workers reach the windows through
// the engine's dispatcher (engine/ui/UiFront.cpp); a window touched from another thread is a
// broken thread rule. With the check on (debug builds, the VX_CHECK_UI_THREAD build option,
// and every test that turns it on) such a call aborts at once, naming where it came from.
#pragma once
#include "engine/ui/ThreadRule.h"
#include "engine/ui/win32/Win32Api.h"

namespace vx::win32 {

using vx::CallSite;

// The calling thread becomes the interface thread (the one that made the interface).
void BindInterfaceThread();
bool OnInterfaceThread();
bool UiThreadChecked();
void SetUiThreadChecked(bool checked);
// Aborts with a message naming `where` when the check is on and this is not the interface
// thread; otherwise does nothing.
void ExpectInterfaceThread(CallSite where = CallSite::Here());

}  // namespace vx::win32
