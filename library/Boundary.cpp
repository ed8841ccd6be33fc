// What Karvo.dll sees of the platform layer, for the engine's start-up check that both use
// one machine and one table of file handles. The calls below are bound at load time: when
// the loading program's platform layer preempts the library's own copy (as it must), they
// reach the program's objects; a build that binds them inside the library breaks that.
#include "library/Karvo.h"
#include "platform/Files.h"
#include "platform/Machine.h"

KARVO_API void KarvoPlatformIdentity(const void** machine, const void** handleTable) {
  if (machine) *machine = &vx::Machine::Current();
  if (handleTable) *handleTable = vx::FileHandleTableIdentity();
}
