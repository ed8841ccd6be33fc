#include "engine/run/LibraryBoundary.h"

#include "library/Karvo.h"
#include "platform/Files.h"
#include "platform/Machine.h"

namespace vx {

bool KarvoSharesThePlatform() {
  const void* machine = nullptr;
  const void* handles = nullptr;
  KarvoPlatformIdentity(&machine, &handles);
  return machine == &Machine::Current() && handles == FileHandleTableIdentity();
}

}  // namespace vx
