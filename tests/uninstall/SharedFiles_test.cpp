#include "engine/files/SharedFiles.h"

#include <filesystem>

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Store.h"
#include "engine/files/CountJournal.h"
#include "engine/base/Texts.h"
#include "platform/Files.h"
#include "tests/uninstall/UninstallFixture.h"

namespace vx::test {
namespace {

constexpr char kDll[] = "C:\\Windows\\System32\\shared.dll";
constexpr char kOther[] = "C:\\Windows\\System32\\other.dll";
constexpr char kThird[] = "C:\\Windows\\System32\\third.dll";

class SharedFilesTest : public UninstallTest {
 protected:
  SharedFilesTest() {
    for (const char* f : {kDll, kOther, kThird}) machine.WriteFile(f, "MZ");
  }
  bool Exists(const std::string& winPath) { return std::filesystem::exists(machine.Host(winPath)); }
  std::optional<std::uint32_t> Count(const std::string& path) {
    return Dword(kSharedDllsKey, path);
  }
  // How many removal questions were shown, and that each names its file.
  int Questions() {
    int n = 0;
    for (const std::string& line : ui->Shown())
      if (line.find("is no longer used by any other product") != std::string::npos) ++n;
    return n;
  }
};

TEST_F(SharedFilesTest, InstallingCountsUpFromNothing) {
  UpdateSharedFileCount(kDll, +1);
  EXPECT_EQ(Count(kDll), 1u);
  UpdateSharedFileCount(kDll, +1);
  EXPECT_EQ(Count(kDll), 2u);
  EXPECT_TRUE(ui->Shown().empty());
  // The value name is the full path as given; other files are untouched.
  EXPECT_FALSE(Count(kOther).has_value());
}

// A run killed after counting: the next run gives back what it raised, and only that.
TEST_F(SharedFilesTest, AKilledRunsRaisesAreGivenBackOnceByTheNextRun) {
  machine.WriteFile("C:\\Windows\\Temp\\Demo.inf", "[<General>]\r\n");
  SetScriptFile("C:\\Windows\\Temp\\Demo.inf");
  // The killed run's journal: it had not ended.
  machine.WriteFile("C:\\Windows\\Temp\\Demo.inf.journal", "");
  SetCount(kOther, 3);
  RaiseSharedFileCount(kDll);
  RaiseSharedFileCount(kOther);
  EXPECT_EQ(Count(kDll), 1u);
  // The third raise was noted, then the run died before the count changed.
  RaiseSharedFileCount(kThird);
  SetCount(kThird, 0);
  ASSERT_TRUE(Exists(CountJournalFile()));

  GiveBackKilledRunCounts();
  EXPECT_FALSE(Count(kDll).has_value());
  EXPECT_EQ(Count(kOther), 3u);
  EXPECT_EQ(Count(kThird), 0u);
  EXPECT_TRUE(Exists(kDll));  // a count given back never removes the file
  EXPECT_FALSE(Exists(CountJournalFile()));
  EXPECT_EQ(Questions(), 0);

  // Registered raises are the product's: the next run leaves them, also when the run was
  // killed after its journal was discarded and before the counts' was.
  RaiseSharedFileCount(kDll);
  ForgetCountJournal();
  GiveBackKilledRunCounts();
  EXPECT_EQ(Count(kDll), 1u);
  RaiseSharedFileCount(kDll);
  ASSERT_TRUE(DeleteFile("C:\\Windows\\Temp\\Demo.inf.journal"));
  GiveBackKilledRunCounts();
  EXPECT_EQ(Count(kDll), 2u);
  EXPECT_FALSE(Exists(CountJournalFile()));
}

TEST_F(SharedFilesTest, RemovingFromTwoKeepsOneAndAsksNothing) {
  SetCount(kDll, 2);
  UpdateSharedFileCount(kDll, -1);
  EXPECT_EQ(Count(kDll), 1u);
  EXPECT_EQ(Questions(), 0);
  EXPECT_TRUE(Exists(kDll));
}

TEST_F(SharedFilesTest, ReachingZeroDeletesTheValueAndAsks) {
  SetCount(kDll, 1);
  ui->AddAnswer("yes");
  UpdateSharedFileCount(kDll, -1);
  EXPECT_FALSE(Count(kDll).has_value());
  EXPECT_FALSE(Exists(kDll));
  ASSERT_EQ(Questions(), 1);
  std::string question = FormatText(LoadText(TextId::SharedFileUnusedQuestion), kDll);
  EXPECT_NE(ui->Shown()[0].find(question), std::string::npos) << ui->Shown()[0];

  // No count at all asks too; No keeps the file.
  ui->AddAnswer("no");
  UpdateSharedFileCount(kOther, -1);
  EXPECT_EQ(Questions(), 2);
  EXPECT_TRUE(Exists(kOther));
  EXPECT_EQ(SharedFileAnswer(), 2);
}

TEST_F(SharedFilesTest, NoToAllKeepsLaterFilesWithoutAsking) {
  SetCount(kDll, 1);
  SetCount(kOther, 1);
  SetCount(kThird, 1);
  ui->AddAnswer("no-all");
  UpdateSharedFileCount(kDll, -1);
  UpdateSharedFileCount(kOther, -1);
  UpdateSharedFileCount(kThird, -1);
  EXPECT_EQ(Questions(), 1);
  for (const char* f : {kDll, kOther, kThird}) {
    EXPECT_TRUE(Exists(f)) << f;
    EXPECT_FALSE(Count(f).has_value()) << f;
  }
  // Counting up is not affected by the remembered answer.
  UpdateSharedFileCount(kDll, +1);
  EXPECT_EQ(Count(kDll), 1u);
}

TEST_F(SharedFilesTest, YesToAllDeletesLaterFilesWithoutAsking) {
  SetCount(kDll, 1);
  ui->AddAnswer("yes-all");
  UpdateSharedFileCount(kDll, -1);
  UpdateSharedFileCount(kOther, -1);
  EXPECT_EQ(Questions(), 1);
  EXPECT_FALSE(Exists(kDll));
  EXPECT_FALSE(Exists(kOther));
  EXPECT_EQ(SharedFileAnswer(), 1);
  // A file already gone is no error.
  UpdateSharedFileCount(kDll, -1);
  EXPECT_EQ(Questions(), 1);
}

TEST_F(SharedFilesTest, ClosingTheQuestionCountsAsNoAndAsksAgain) {
  // No answers queued: the prompt is closed without a button.
  UpdateSharedFileCount(kDll, -1);
  UpdateSharedFileCount(kOther, -1);
  EXPECT_EQ(Questions(), 2);
  EXPECT_TRUE(Exists(kDll));
  EXPECT_TRUE(Exists(kOther));
  // A Yes after that still asks again for the next file.
  ui->AddAnswer("yes");
  UpdateSharedFileCount(kThird, -1);
  ui->AddAnswer("no");
  UpdateSharedFileCount(kDll, -1);
  EXPECT_EQ(Questions(), 4);
  EXPECT_FALSE(Exists(kThird));
  EXPECT_TRUE(Exists(kDll));
}

TEST_F(SharedFilesTest, ACountAtItsTopDoesNotWrapToZero) {
  SetCount(kDll, 0xFFFFFFFFu);
  UpdateSharedFileCount(kDll, +1);
  EXPECT_EQ(Count(kDll), 0xFFFFFFFFu);
  EXPECT_EQ(Questions(), 0);
  EXPECT_TRUE(Exists(kDll));
}

TEST_F(SharedFilesTest, AUserWhoMayNotWriteTheKeyIsToldAndNothingIsDeleted) {
  SetCount(kDll, 3);
  Reconfigure("Platform=NT\r\nAdmin=0\r\n");
  UseUi({"ok", "ok", "yes"});  // the permission message twice; the yes for no question

  UpdateSharedFileCount(kOther, +1);
  ASSERT_EQ(ui->Shown().size(), 1u);
  EXPECT_NE(ui->Shown()[0].find("You have no permission to modify the system registry."),
            std::string::npos)
      << ui->Shown()[0];
  EXPECT_FALSE(Count(kOther).has_value());

  // The count of 3 cannot be read with write access: the file must not be offered for
  // deletion as if no product used it.
  UpdateSharedFileCount(kDll, -1);
  EXPECT_EQ(Questions(), 0);
  EXPECT_EQ(ui->Shown().size(), 2u);
  EXPECT_TRUE(Exists(kDll));
  EXPECT_EQ(Count(kDll), 3u);
}

TEST_F(SharedFilesTest, TheWindows9xFamilyHasNoPermissionsToRefuse) {
  Reconfigure("Platform=9x\r\nAdmin=0\r\n");
  UseUi({"yes"});
  UpdateSharedFileCount(kDll, +1);
  EXPECT_EQ(Count(kDll), 1u);
  UpdateSharedFileCount(kDll, -1);
  EXPECT_EQ(Questions(), 1);
  EXPECT_FALSE(Exists(kDll));
}

}  // namespace
}  // namespace vx::test
