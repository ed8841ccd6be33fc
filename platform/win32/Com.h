// COM for the Win32 layer: the interface pointer that releases itself, and COM started on the
// calling thread for as long as a call needs it.
#pragma once
#include "platform/win32/WinApi.h"

#include <objbase.h>

namespace vx::win32 {

template <typename T>
struct Com {
  T* p = nullptr;
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

// A thread that already has COM keeps its own mode (the call then fails with RPC_E_CHANGED_MODE
// and nothing is undone).
class ComScope {
 public:
  explicit ComScope(DWORD mode) : on_(SUCCEEDED(::CoInitializeEx(nullptr, mode))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (on_) ::CoUninitialize();
  }

 private:
  bool on_;
};

}  // namespace vx::win32
