// Operations queued for the next start: their order, deletions and network paths, and taking
// back what would land on a path about to be written.
#include <string>

#include "platform/Files.h"
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

TEST_F(RestartQueue, CancelTakesBackOnlyWhatWouldLandOnThePath) {
  const std::string app = Folder() + "App", exe = app + "\\Main.exe", dll = app + "\\Lib.dll";
  const std::string staged = Folder() + "Lib.dll", other = Folder() + "other.txt";
  ASSERT_TRUE(CreateDirectory(app));
  Put(exe, "old");
  Put(staged, "staged");
  Put(other, "other");
  ASSERT_TRUE(MoveFileEx(exe, "", kMoveFileDelayUntilReboot));
  ASSERT_TRUE(MoveFileEx(staged, dll, kMoveFileDelayUntilReboot | kMoveFileReplaceExisting));
  ASSERT_TRUE(MoveFileEx(app, "", kMoveFileDelayUntilReboot));
  ASSERT_TRUE(MoveFileEx(other, "", kMoveFileDelayUntilReboot));

  // Another spelling of the path: its deletion goes, and so does that of its folder.
  EXPECT_TRUE(CancelAtRestart(app + "\\SUB\\..\\main.EXE"));
  std::vector<PendingOperation> ops = ListPendingOperations();
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].source, staged);
  EXPECT_EQ(ops[1].source, other);
  EXPECT_EQ(Get(exe), "old");
  // A staged copy would put older bytes over the new file: the move goes, and the copy with it.
  EXPECT_TRUE(CancelAtRestart(dll));
  ops = ListPendingOperations();
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].source, other);
  EXPECT_FALSE(FileOrFolderExists(staged));
  // A path nothing names changes nothing; the last operation taken back leaves no queue.
  EXPECT_TRUE(CancelAtRestart(Folder() + "none.txt"));
  EXPECT_EQ(ListPendingOperations().size(), 1u);
  EXPECT_TRUE(CancelAtRestart(other));
  EXPECT_TRUE(ListPendingOperations().empty());
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyEx(kHkeyLocalMachine, kSessionManagerKey, kKeyRead, &key), kErrorSuccess);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(RegQueryValueEx(key, kPendingRenameValue, &type, nullptr, &size), kErrorFileNotFound);
  RegCloseKey(key);
  EXPECT_EQ(Get(other), "other");
}

}  // namespace
}  // namespace vx::test
