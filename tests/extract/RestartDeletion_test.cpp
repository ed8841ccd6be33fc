#include "extract/RestartDeletion.h"

#include <gtest/gtest.h>

#include "platform/RestartQueue.h"
#include "tests/support/TestMachine.h"

namespace vx::extract {
namespace {

TEST(WininitDeletionTest, NewFileStartsWithRenameSection) {
  test::TestMachine m("9x");
  ASSERT_TRUE(AppendWininitDeletions(
      "C:\\Windows\\Wininit.ini", {"C:\\Windows\\Temp\\Install.exe", "C:\\Windows\\Temp\\A.inf"}));
  EXPECT_EQ(m.ReadFile("C:\\Windows\\Wininit.ini"),
            "[Rename]\r\nNUL=C:\\Windows\\Temp\\Install.exe\r\nNUL=C:\\Windows\\Temp\\A.inf");
}

TEST(WininitDeletionTest, ExistingRenameSectionIsAppendedToWithoutANewHeader) {
  test::TestMachine m("9x");
  m.WriteFile("C:\\Windows\\Wininit.ini", "[rename]\r\nNUL=C:\\old.tmp");
  ASSERT_TRUE(AppendWininitDeletions("C:\\Windows\\Wininit.ini", {"C:\\Windows\\Temp\\x"}));
  EXPECT_EQ(m.ReadFile("C:\\Windows\\Wininit.ini"),
            "[rename]\r\nNUL=C:\\old.tmp\r\nNUL=C:\\Windows\\Temp\\x");
}

TEST(WininitDeletionTest, FileEndingInAnotherSectionGetsARenameHeaderFirst) {
  test::TestMachine m("9x");
  m.WriteFile("C:\\Windows\\Wininit.ini", "[Rename]\r\nNUL=C:\\a\r\n[Other]\r\nk=v\r\n");
  ASSERT_TRUE(AppendWininitDeletions("C:\\Windows\\Wininit.ini", {"C:\\b"}));
  EXPECT_EQ(m.ReadFile("C:\\Windows\\Wininit.ini"),
            "[Rename]\r\nNUL=C:\\a\r\n[Other]\r\nk=v\r\n\r\n[Rename]\r\nNUL=C:\\b");
}

TEST(ScheduleDeletionTest, EachPlatformUsesItsOwnQueue) {
  {
    test::TestMachine m("9x");
    m.WriteFile("C:\\Windows\\Temp\\one", "1");
    ScheduleDeletionAtRestart({"C:\\Windows\\Temp\\one"});
    auto pending = ListPendingOperations();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_TRUE(pending[0].fromWininit);
    EXPECT_TRUE(pending[0].target.empty());
  }
  {
    test::TestMachine m("NT");
    m.WriteFile("C:\\Windows\\Temp\\one", "1");
    m.WriteFile("C:\\Windows\\Temp\\two", "2");
    ScheduleDeletionAtRestart({"C:\\Windows\\Temp\\one", "C:\\Windows\\Temp\\two"});
    auto pending = ListPendingOperations();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_FALSE(pending[0].fromWininit);
    EXPECT_TRUE(pending[1].target.empty());
    EXPECT_FALSE(m.ReadFile("C:\\Windows\\Temp\\two").empty());  // nothing deleted now
  }
}

}  // namespace
}  // namespace vx::extract
