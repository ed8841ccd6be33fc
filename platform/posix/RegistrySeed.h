// The seeding of a new machine's registry, set by the registry's code in the programs that
// link it; null in the others.
#pragma once

namespace vx {
class Machine;
namespace posix {
extern void (*registrySeeder)(Machine&);
}  // namespace posix
}  // namespace vx
