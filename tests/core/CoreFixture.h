// The core tests start from the plain engine fixture: a fresh machine, a quiet headless UI and
// clean process-wide engine state.
#pragma once
#include "tests/support/EngineFixture.h"

namespace vx::test {

using CoreTest = EngineTest;

}  // namespace vx::test
