// Operations queued for the next start: their order, deletions and network paths.
#include <string>

#include "platform/Registry.h"
#include "platform/Types.h"
#include "platform/RestartQueue.h"
#include "tests/conformance/Sandbox.h"

namespace vx::test {
namespace {

class RestartQueue : public Sandbox {
 protected:
  void SetUp() override {
    Sandbox::SetUp();
    Clear();
  }
  void TearDown() override {
    Clear();
    Sandbox::TearDown();
  }
  static void Clear() {
    HKEY key = 0;
    if (RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyAllAccess, &key) == kErrorSuccess) {
      RegDeleteValue(key, kPendingRenameValue);
      RegCloseKey(key);
    }
  }
};

TEST_F(RestartQueue, KeepsOrderDeletionsAndUncSources) {
  const std::string a = Folder() + "a.txt", b = Folder() + "b.txt";
  Put(a, "a");
  Put(b, "b");
  ASSERT_TRUE(
      MoveFileEx(a, Folder() + "a2.txt", kMoveFileDelayUntilReboot | kMoveFileReplaceExisting));
  ASSERT_TRUE(MoveFileEx(b, "", kMoveFileDelayUntilReboot));
  ASSERT_TRUE(
      MoveFileEx("\\\\server\\share\\c.txt", Folder() + "c.txt", kMoveFileDelayUntilReboot));
  // The verbatim spelling names the same file.
  ASSERT_TRUE(MoveFileEx("\\\\?\\" + b, "", kMoveFileDelayUntilReboot));
  // Nothing happens before the restart.
  EXPECT_EQ(Get(a), "a");
  EXPECT_EQ(Get(b), "b");
  std::vector<PendingOperation> ops = ListPendingOperations();
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].source, a);
  EXPECT_EQ(ops[0].target, Folder() + "a2.txt");
  EXPECT_TRUE(ops[0].replace);
  EXPECT_EQ(ops[1].source, b);
  EXPECT_EQ(ops[1].target, "");
  EXPECT_EQ(ops[2].source, "\\\\server\\share\\c.txt");
  EXPECT_EQ(ops[2].target, Folder() + "c.txt");
  EXPECT_FALSE(ops[2].replace);
  EXPECT_EQ(ops[3].source, b);
  EXPECT_EQ(ops[3].target, "");
}

}  // namespace
}  // namespace vx::test
