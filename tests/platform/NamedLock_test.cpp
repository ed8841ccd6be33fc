#include "platform/NamedLock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Types.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

TEST(NamedLock, OneHolderAtATimeAndADeadHolderBlocksNobody) {
  test::TestMachine machine;
  {
    auto held = NamedLock::TryTake("C:\\Windows\\Temp\\Demo.inf");
    ASSERT_NE(held, nullptr);
    // Another holder, even in this process and in other case, is refused.
    EXPECT_EQ(NamedLock::TryTake("c:\\windows\\temp\\DEMO.INF"), nullptr);
    EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
    EXPECT_NE(NamedLock::TryTake("C:\\Windows\\Temp\\Other.inf"), nullptr);
  }
  EXPECT_NE(NamedLock::TryTake("C:\\Windows\\Temp\\Demo.inf"), nullptr);

  // A process that holds the lock and is killed lets it go.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    auto lock = NamedLock::TryTake("C:\\Windows\\Temp\\Demo.inf");
    char c = lock ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    pause();
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, 'y');
  EXPECT_EQ(NamedLock::TryTake("C:\\Windows\\Temp\\Demo.inf"), nullptr);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_NE(NamedLock::TryTake("C:\\Windows\\Temp\\Demo.inf"), nullptr);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
}  // namespace vx
