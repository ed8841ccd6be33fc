#include <gtest/gtest.h>

#include "engine/base/Store.h"
#include "engine/base/Texts.h"
#include "tests/core/CoreFixture.h"

namespace vx::test {
namespace {

TEST(BuiltinTexts, EveryIdHasItsText) {
  for (const TextRow& row : TextTable()) EXPECT_STRNE(BuiltinText(row.id), "") << row.name;
  EXPECT_EQ(TextTable().size(), 75u);
  EXPECT_STREQ(BuiltinText(static_cast<TextId>(39998)), "");
  EXPECT_STREQ(BuiltinText(static_cast<TextId>(40074)), "");
  EXPECT_STREQ(BuiltinText(TextId::Ok), "OK");
  EXPECT_STREQ(BuiltinText(TextId::Stop), "Stop");
  EXPECT_STREQ(BuiltinText(TextId::UninstallAll), "Uninstall all ");
  EXPECT_STREQ(BuiltinText(TextId::UninstallCaption), "Uninstall ");
  EXPECT_STREQ(BuiltinText(TextId::ResponseFileMissing),
               ": The required response file is missing.");
}

using LoadTextTest = CoreTest;

TEST_F(LoadTextTest, WithoutALocaleFileTheBuiltInTextIsUsed) {
  EXPECT_EQ(LoadText(TextId::UnknownCommandLine),
            "An unknown command line has been passed to the Installer.");
  SetLocaleFile("C:\\Nowhere\\missing.ini");
  EXPECT_EQ(LoadText(TextId::Cancel), "Cancel");
  EXPECT_EQ(LoadText(static_cast<TextId>(12345)), "");
}

TEST_F(LoadTextTest, LocaleTextsAreExpandedAndEmptyOnesIgnored) {
  UseScript({"[<General>]", "ProductName=Demo Suite"});
  WriteIni("C:\\Setup\\German.ini",
           {"[TEXT]", "Res40021=Wirklich {ProductName} beenden?{CR}Ja oder nein",
            "Res40001=", "Res40000=Gut", "Res40002={Unknown} bleibt"});
  SetLocaleFile("C:\\Setup\\German.ini");
  EXPECT_EQ(LoadText(TextId::QuitQuestion), "Wirklich Demo Suite beenden?\r\nJa oder nein");
  EXPECT_EQ(LoadText(TextId::Cancel), "Cancel");
  EXPECT_EQ(LoadText(TextId::Ok), "Gut");
  EXPECT_EQ(LoadText(TextId::Yes), "{Unknown} bleibt");
  EXPECT_EQ(LoadText(TextId::No), "No");
  // Built-in texts are never expanded, whatever they hold.
  SetLocaleFile("");
  EXPECT_EQ(LoadText(TextId::WelcomeText).find("%s ."), 38u);
}

TEST(FormatTextTest, FillsPlaceholdersInOrder) {
  EXPECT_EQ(FormatText(BuiltinText(TextId::TotalDiskSpace), 12),
            "Total disk space required (KB):  12");
  EXPECT_EQ(FormatText(BuiltinText(TextId::FilePathPrompt), "setup.2"),
            "Please specify the full path where file \"setup.2\" exists.");
  EXPECT_EQ(FormatTextList(BuiltinText(TextId::InsertDiskPrompt), {3, "setup.2", "A:\\"}),
            "Please insert disk 3 containing file \"setup.2\" into drive A:\\. Or specify the "
            "full path where this file exists.");
  EXPECT_EQ(FormatTextList("%5s|%-4d|%03d|%.2s|%%|%x", {"ab", 7, 5, "xyz", 255}),
            "   ab|7   |005|xy|%|ff");
}

TEST(FormatTextTest, HostileFormatsAreHarmless) {
  // A locale text may hold more or other directives than the caller fills.
  EXPECT_EQ(FormatText("%s and %s and %d", "one"), "one and  and ");
  EXPECT_EQ(FormatText("%n%p %s", "x"), "%n%p x");
  EXPECT_EQ(FormatText("ends with %", "x"), "ends with %");
  EXPECT_EQ(FormatText("%99999999999s", "x").size(), 1024u);
  EXPECT_EQ(FormatText("value %d", "text"), "value text");
  EXPECT_EQ(FormatText("%s", 42LL), "42");
}

}  // namespace
}  // namespace vx::test
