#include "engine/actions/ActionLine.h"

#include <gtest/gtest.h>

#include <chrono>

#include "engine/base/Flags.h"
#include "platform/Profile.h"
#include "tests/actions/ActionFixture.h"

namespace vx::test {
namespace {

// Code 15 raises the stop request and nothing else: a clean witness of "the line ran".
class RunnerTest : public ActionTest {
 protected:
  bool Runs(const std::string& condition) {
    Flags().stopRequest = false;
    RunActionLine("? | " + condition + " | 15 | stop |");
    return Stopped();
  }
};

TEST_F(RunnerTest, ConditionsCompareUpperCasedTextsNotNumbers) {
  EXPECT_TRUE(Runs("If ()"));    // empty condition is true
  EXPECT_FALSE(Runs("If (1)"));  // no operator
  EXPECT_TRUE(Runs("If (a == A)"));
  EXPECT_FALSE(Runs("If (10 >> 9)"));  // "1" sorts before "9"
  EXPECT_TRUE(Runs("If (9 >> 10)"));
  EXPECT_FALSE(Runs("If (1 == 01)"));
  EXPECT_TRUE(Runs("If (abc -> xabcx)"));
  EXPECT_FALSE(Runs("If (abc <- xabcx)"));
  EXPECT_TRUE(Runs("If (xABCx <- abc)"));
  EXPECT_TRUE(Runs("If (A->B == A->B)"));  // "==" is looked for before "->"
  EXPECT_TRUE(Runs("If (b >= B)"));
  EXPECT_TRUE(Runs("If (a <= b)"));
  EXPECT_FALSE(Runs("If (b <= a)"));
  EXPECT_TRUE(Runs("If (a << b)"));
  EXPECT_TRUE(Runs("If (a != b)"));
  EXPECT_FALSE(Runs("If (a != A)"));
}

TEST_F(RunnerTest, ConditionsSeeExpandedVariables) {
  EXPECT_TRUE(Runs("If ({YesNoResponse} == NO)"));
  SetYesNoResponse("YES");
  EXPECT_TRUE(Runs("If ({YesNoResponse} == yes)"));
  EXPECT_TRUE(Runs("If ({ProductName} == test app)"));
}

TEST_F(RunnerTest, ConnectivesAreCaseSensitiveAndOnlyTwoConditionsCount) {
  EXPECT_TRUE(Runs("If (1 == 1) .and. (1 == 2)"));  // not a connective: the first decides
  EXPECT_TRUE(Runs("If (1 == 2) .OR. (2 == 2)"));
  EXPECT_FALSE(Runs("If (1 == 1) .AND. (1 == 2)"));
  EXPECT_TRUE(Runs("If (1 == 1) .AND. (2 == 2)"));
  EXPECT_FALSE(Runs("If (1 == 2) .or. (2 == 2)"));
  // Three conditions: the connective is ".AND. (b) .OR.", so only the first decides.
  EXPECT_TRUE(Runs("If (1 == 1) .AND. (1 == 2) .OR. (1 == 2)"));
  EXPECT_FALSE(Runs("If (1 == 2) .AND. (1 == 1) .OR. (1 == 1)"));
}

TEST_F(RunnerTest, LayoutVariantsParseAlike) {
  ResetRunFlags();
  RunActionLine("?| If(1==1)|15|t|");
  EXPECT_TRUE(Stopped());
  ResetRunFlags();
  RunActionLine("   ?   |If (1 == 1)|  15  ");
  EXPECT_TRUE(Stopped());
}

TEST_F(RunnerTest, MalformedLinesAreSkipped) {
  const char* lines[] = {
      "? x | If (1 == 1) | 15 | t",  // first field is not "?"
      "?? | If (1 == 1) | 15 | t",     "| If (1 == 1) | 15 | t",
      "? | If 1 == 1 | 15 | t",         // no ")"
      "? | If ) (1 == 1 | 15 | t",      // "(" after the only ")"
      "? | If (1 == 1) x) ( | 15 | t",  // last "(" after the last ")"
      "? | If (1 == 1) | fifteen | t",  // code 0
      "? | If (1 == 1) | 17 | t",      "? | If (1 == 1) | -15 | t", "? | If (1 == 1)", "",
  };
  for (const char* line : lines) {
    ResetRunFlags();
    RunActionLine(line);
    EXPECT_FALSE(Stopped()) << line;
  }
}

TEST(ParseActionLine, SplitsConditionsConnectiveAndFields) {
  ParsedActionLine p;
  ASSERT_TRUE(ParseActionLine("? | If ( a == b ) .AND. (c==d) | 12 | Say | Hello | 0", &p));
  EXPECT_EQ(p.firstCondition, "a == b");
  EXPECT_EQ(p.secondCondition, "c==d");
  EXPECT_EQ(p.connective, ".AND.");
  EXPECT_TRUE(p.twoConditions);
  EXPECT_EQ(p.code, 12);
  EXPECT_EQ(p.description, "Say");
  EXPECT_EQ(p.arguments, "Hello | 0");

  ASSERT_TRUE(ParseActionLine("? | If (a) .AND. (b) .OR. (c) | 1 |", &p));
  EXPECT_EQ(p.firstCondition, "a");
  EXPECT_EQ(p.secondCondition, "c");
  EXPECT_EQ(p.connective, ".AND. (b) .OR.");

  // Without "(" the first condition is everything before the ")".
  ASSERT_TRUE(ParseActionLine("? | 1 == 1) | 15", &p));
  EXPECT_EQ(p.firstCondition, "1 == 1");
  EXPECT_FALSE(p.twoConditions);

  // A last "(" in front of the first ")": no connective, the second condition runs from it.
  ASSERT_TRUE(ParseActionLine("? | (a == b) x) | 15", &p));
  EXPECT_TRUE(p.twoConditions);
  EXPECT_EQ(p.connective, "");
  EXPECT_EQ(p.secondCondition, "a == b) x");

  // Empty middle fields are kept; the description is not expanded.
  ASSERT_TRUE(ParseActionLine("? | () | 7 | {ProductName} | a |  | b", &p));
  EXPECT_EQ(p.description, "{ProductName}");
  EXPECT_EQ(p.arguments, "a |  | b");

  ASSERT_TRUE(ParseActionLine("? | () |  +3xyz |", &p));
  EXPECT_EQ(p.code, 3);
}

TEST(LeadingInt, ReadsLikeAtoi) {
  EXPECT_EQ(LeadingInt(" 12abc"), 12);
  EXPECT_EQ(LeadingInt("\t-3"), -3);
  EXPECT_EQ(LeadingInt("x1"), 0);
  EXPECT_EQ(LeadingInt(""), 0);
  EXPECT_EQ(LeadingInt("- 1"), 0);
  EXPECT_EQ(LeadingInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(LeadingInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(RunnerDecisions, MainAndUninstallRunnersDifferOnUnknownConnectives) {
  ParsedActionLine two;
  two.twoConditions = true;
  two.connective = "xx";
  EXPECT_FALSE(MainRunnerDecides(two, false, true));
  EXPECT_TRUE(UninstallRunnerDecides(two, false, true));
  two.connective = ".AND.";
  EXPECT_FALSE(UninstallRunnerDecides(two, true, false));
  EXPECT_TRUE(UninstallRunnerDecides(two, true, true));
  two.connective = ".OR.";
  EXPECT_TRUE(UninstallRunnerDecides(two, false, true));
  EXPECT_FALSE(UninstallRunnerDecides(two, false, false));

  ParsedActionLine one;
  EXPECT_FALSE(UninstallRunnerDecides(one, false, true));
  EXPECT_TRUE(UninstallRunnerDecides(one, true, true));
}

TEST_F(RunnerTest, StatusDisplayGetsTheDescriptionOnlyWhenTheLineRuns) {
  std::vector<std::string> shown;
  StatusDisplay status = [&](const std::string& d) { shown.push_back(d); };
  RunActionLine("? | If (1 == 2) | 15 | never |", status);
  RunActionLine("? | If (1 == 1) | 15 | Stop {ProductName} |", status);
  RunActionLine("? | If (1 == 1) | 99 | unknown code |", status);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Stop {ProductName}");
  EXPECT_EQ(shown[1], "unknown code");
}

TEST_F(RunnerTest, StatusDisplayPausesOneSecondAtTheRunsPace) {
  SetPaceFactor(0.05);  // 50 ms for the second
  StatusDisplay status = [](const std::string&) {};
  auto start = std::chrono::steady_clock::now();
  RunActionLine("? | () | 15 | t |", status);
  auto withStatus = std::chrono::steady_clock::now() - start;
  EXPECT_GE(withStatus, std::chrono::milliseconds(45));
  SetPaceFactor(0);
}

TEST_F(RunnerTest, UninstallRunnerRunsOnlyUndoCodesWithItsOwnDecision) {
  WriteIni("C:\\Data\\app.ini", {"[Main]", "Path=x", "Keep=y"});
  // Code 15 never runs in the uninstall runner.
  RunUninstallActionLine("? | If (1 == 1) | 15 | t |");
  EXPECT_FALSE(Stopped());

  RunUninstallActionLine("? | If (1 == 2) | 3 | t | C:\\Data\\app.ini | Main | Path | v");
  EXPECT_EQ(GetPrivateProfileString("Main", "Path", "gone", "C:\\Data\\app.ini"), "x");
  RunUninstallActionLine(
      "? | If (1 == 2) xx (1 == 1) | 3 | t | C:\\Data\\app.ini | Main | Path | v");
  EXPECT_EQ(GetPrivateProfileString("Main", "Path", "gone", "C:\\Data\\app.ini"), "gone");
  EXPECT_EQ(GetPrivateProfileString("Main", "Keep", "gone", "C:\\Data\\app.ini"), "y");
}

}  // namespace
}  // namespace vx::test
