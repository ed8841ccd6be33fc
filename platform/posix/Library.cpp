// Loading libraries (vendor DLLs built for the host) and finding their functions.
#include <dlfcn.h>

#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/Types.h"

namespace vx {

namespace {
thread_local std::string loadError;
}

ModuleHandle LoadLibrary(std::string_view path) {
  std::string found = SearchProgram(path, ".dll");
  if (found.empty()) {
    loadError = "The specified module could not be found.";
    SetLastError(kErrorModNotFound);
    return nullptr;
  }
  std::string host = HostPathOf(found);
  void* h = host.empty() ? nullptr : dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* err = dlerror();
    loadError = err ? err : "The specified module could not be found.";
    SetLastError(kErrorModNotFound);
    return nullptr;
  }
  loadError.clear();
  return h;
}

std::string LastLoadErrorText() { return loadError; }

void* GetProcAddress(ModuleHandle module, std::string_view name) {
  if (!module) {
    SetLastError(kErrorInvalidHandle);
    return nullptr;
  }
  std::string n(name);
  void* p = dlsym(module, n.c_str());
  if (!p) SetLastError(kErrorProcNotFound);
  return p;
}

bool FreeLibrary(ModuleHandle module) { return module && dlclose(module) == 0; }

}  // namespace vx
