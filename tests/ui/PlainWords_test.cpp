// What a person reads and presses in every UI: line ends of shown text files, sizes, the
// completion's word about a restart, a failed run's notice, the keyboard answers of a
// question and the click guard of a page just shown.
#include <gtest/gtest.h>

#include "engine/base/Texts.h"
#include "engine/ui/ClickGuard.h"
#include "engine/ui/DestinationView.h"
#include "engine/ui/DialogKeys.h"
#include "engine/ui/FailureNotice.h"
#include "engine/ui/LineBreaks.h"
#include "engine/ui/SizeText.h"
#include "engine/ui/WizardPages.h"
#include "tests/ui/UiFixture.h"

namespace vx::test {
namespace {

TEST(PlainWords, EveryLineEndBreaksTheLine) {
  EXPECT_EQ(WithCrLfLineBreaks("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(WithCrLfLineBreaks("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(WithCrLfLineBreaks("no breaks"), "no breaks");
  EXPECT_EQ(WithCrLfLineBreaks(""), "");
}

TEST(PlainWords, SizesInTheUnitAPersonReads) {
  EXPECT_EQ(WithThousandsSeparators(0), "0");
  EXPECT_EQ(WithThousandsSeparators(999), "999");
  EXPECT_EQ(WithThousandsSeparators(1000), "1,000");
  EXPECT_EQ(WithThousandsSeparators(18446744073709551615ull), "18,446,744,073,709,551,615");
  EXPECT_EQ(KilobytesText(0), "0 KB");
  EXPECT_EQ(KilobytesText(9999), "9,999 KB");
  EXPECT_EQ(KilobytesText(17115), "17 MB");
  EXPECT_EQ(KilobytesText(148037), "145 MB");
  EXPECT_EQ(KilobytesText(10238975), "9,999 MB");
  EXPECT_EQ(KilobytesText(10239999), "10 GB");           // 10,000 MB once rounded
  EXPECT_EQ(KilobytesText(264212084), "252 GB");         // a drive that read "264212084K"
  EXPECT_EQ(KilobytesText(4ull << 40), "4,194,304 GB");  // GB has no upper limit
}

TEST(PlainWords, DriveTableCellsAndColumns) {
  DestinationPage::DriveRow big{"D:\\", 5ull << 30, 1ull << 30, 1536};
  EXPECT_EQ(DriveCells(big), (std::array<std::string, kDriveColumnCount>{
                                 "D:\\", "5,120 MB", "4,096 MB", "1,024 MB", "1,536 KB"}));
  // A drive that reports more free space than it holds uses nothing, never wraps around.
  DestinationPage::DriveRow odd{"E:\\", 2048, 4096, 0};
  EXPECT_EQ(DriveCells(odd)[kUsedColumn], "0 KB");
  EXPECT_EQ(RequiredCell(odd), "0 KB");
  // A fifth each; Capacity takes the rest, so that the columns fill the table exactly.
  int sum = 0;
  for (int c = 0; c < kDriveColumnCount; ++c) sum += DriveColumnWidth(c, 266);
  EXPECT_EQ(sum, 266);
  EXPECT_EQ(DriveColumnWidth(kDriveColumn, 266), 53);
  EXPECT_EQ(DriveColumnWidth(kCapacityColumn, 266), 54);
}

TEST(PlainWords, EscapeAndAccessKeysAnswerAsOnWindows) {
  EXPECT_EQ(EscapeAnswer(kMbOk), kIdOk);
  EXPECT_EQ(EscapeAnswer(kMbOkCancel | kMbIconStop), kIdCancel);
  EXPECT_EQ(EscapeAnswer(kMbYesNoCancel), kIdCancel);
  EXPECT_EQ(EscapeAnswer(kMbYesNo | kMbIconQuestion), kIdNo);
  EXPECT_EQ(EscapeAnswer(kMbRetryCancel), kIdCancel);
  EXPECT_EQ(EscapeAnswer(kMbAbortRetryIgnore), 0);

  EXPECT_EQ(WithAccessKeys({"Yes", "Yes to all", "No", "No to all"}),
            (std::vector<std::string>{"&Yes", "Y&es to all", "&No", "N&o to all"}));
  // A letter marked already is kept and not given twice; a label without a free letter
  // stays plain; "&&" is an ampersand.
  EXPECT_EQ(WithAccessKeys({"Back", "&Next", "N", "R&&D"}),
            (std::vector<std::string>{"&Back", "&Next", "N", "&R&&D"}));
  EXPECT_EQ(AccessKeyOf("Y&es to all"), 'E');
  EXPECT_EQ(AccessKeyOf("R&&D"), 0);
  EXPECT_EQ(AccessKeyOf("plain"), 0);
  EXPECT_EQ(AccessKeyOf("trailing&"), 0);
}

TEST(PlainWords, APageJustShownIgnoresClicksForTheDoubleClickTime) {
  ClickGuard guard;
  EXPECT_TRUE(guard.Accepts(5, 500));  // never shown: nothing to guard
  guard.Shown(1000);
  EXPECT_FALSE(guard.Accepts(1000, 500));
  EXPECT_FALSE(guard.Accepts(1499, 500));
  EXPECT_TRUE(guard.Accepts(1500, 500));
  guard.Shown(0xFFFFFF00u);  // across the tick counter's wrap
  EXPECT_FALSE(guard.Accepts(0x10u, 500));
  EXPECT_TRUE(guard.Accepts(0x200u, 500));
}

class CompletionWords : public UiTest {};

TEST_F(CompletionWords, RestartIsMentionedOnlyWhenOneIsPending) {
  UseScript({"[<CompletionWnd>]", "MoreInstruct=Enjoy."});
  EXPECT_EQ(LoadCompletionPage().text, "Installation and setup are completed successfully.");
  Flags().restartPending = true;
  EXPECT_NE(LoadCompletionPage().text.find("you must reboot your computer"), std::string::npos);
  Flags().restartPending = false;
  Flags().restartRequested = true;
  EXPECT_NE(LoadCompletionPage().text.find("you must reboot your computer"), std::string::npos);
  Flags().restartRequested = false;
  // The locale file may word either case.
  machine.WriteFile("C:\\Setup\\de.lng",
                    "[TEXT]\r\nRes40071=Fertig.\r\nRes40068=Fertig, neu starten.\r\n");
  SetLocaleFile("C:\\Setup\\de.lng");
  EXPECT_EQ(LoadCompletionPage().text, "Fertig.");
  Flags().restartPending = true;
  EXPECT_EQ(LoadCompletionPage().text, "Fertig, neu starten.");

  EXPECT_EQ(FailureNoticeText("component Docs: cannot create C:\\x: Access is denied."),
            "The installation could not be completed and has stopped.\r\n\r\nReason: component "
            "Docs: cannot create C:\\x: Access is denied.");
  EXPECT_NE(FailureNoticeText("").find("Reason: the cause is not known"), std::string::npos);
}

}  // namespace
}  // namespace vx::test
