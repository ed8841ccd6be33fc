// vxpack's script check: each flaw gives exactly its diagnostic, on the line of its key and
// with its severity; a sound script and the example product give none.
#include "tools/vxpack/ScriptCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vx::pack {
namespace {

// A script that uses every list the check reads, one line per entry.
const std::vector<std::string> kSound = {
    "[<General>]",
    "ProductName=Checked",
    "ProjectName=Checked",
    "VendorName=Vendor",
    "ProductVersion=1.0",
    "[<Destinations>]",
    "PathWndVisible=1",
    "nItems=2",
    "InstallPath1={ProgramFiles}\\Checked",
    "InstallPath2=C:\\Data",
    "[<VariableList>]",
    "nItems=1",
    "Variable1=SubKey",
    "Value1=Software\\{VendorName}\\{ProductName}",
    "[<PreActions>]",
    "nItems=1",
    "0=? | If (1 == 1) | 12 | Hello | Welcome to {ProductName} | 0",
    "[<InstTypeListWnd>]",
    "nItems=1",
    "0=Typical",
    "[Typical]",
    "nItems=1",
    "0=Core | 0 | 1",
    "ShowComponents=0",
    "[<CompListWnd>]",
    "nItems=1",
    "0=Core | 0 | 1",
    "[<InstSummaryWnd>]",
    "InstalledType=Typical",
    "[<CompletionWnd>]",
    "SkipThis=0",
    "nItems=1",
    "0=? | If ({YesNoResponse} == YES) .OR. (1 == 1) | 8 | Notes | {InstallPath1}Notes.txt | 1 | 0",
    "[<Uninstall>]",
    "PrenItems=0",
    "PostnItems=1",
    "Post0=? | If (1 == 1) | 4 | Remove | HKEY_CURRENT_USER | {SubKey} |  |",
    "[{Temp}]",
    "nItems=1",
    "0=License.txt",
    "[Core]",
    "nItems=3",
    "0=App.exe | {InstallPath1} | bin | 0",
    "1=? | If (1 == 1) | 4 | Path | HKEY_CURRENT_USER | {SubKey} | Path | {InstallPath1}",
    "2=Data.bin | {InstallPath2} | data | 1",
    "nIcons=1",
    "Icon0=App | {InstallPath1}\\App.exe |  | {InstallPath1}\\App.exe 0 | {InstallPath1} | "
    "{ProductFolder} |",
};

const std::vector<std::string> kSoundResponse = {"[ResponseFile]", "InstalledType=Typical",
                                                 "Component1=1", "InstallPath2=D:\\Data"};

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// One flaw: the line of `section` starting with `key=` (the section line itself for an
// empty key) becomes `replacement`; the diagnostic stands on that line unless `line` says.
struct Flaw {
  const char* section;
  const char* key;
  const char* replacement;
  Severity severity;
  const char* text;  // a part of the diagnostic's text
  int line = 0;
};

// The lines with the flaw put in, and the number of the line it replaced.
std::vector<std::string> WithFlaw(std::vector<std::string> lines, const Flaw& flaw, int& at) {
  std::string header = std::string("[") + flaw.section + "]";
  std::size_t i = 0;
  while (i < lines.size() && lines[i] != header) ++i;
  if (*flaw.key != 0) {
    std::string prefix = std::string(flaw.key) + "=";
    while (i < lines.size() && lines[i].rfind(prefix, 0) != 0) ++i;
  }
  EXPECT_LT(i, lines.size()) << "no line to put the flaw on";
  if (i >= lines.size()) return lines;
  lines[i] = flaw.replacement;
  at = int(i) + 1;
  return lines;
}

std::string Describe(const Diagnostics& d) {
  std::string all;
  for (const Diagnostic& x : d.All()) all += FormatDiagnostic(x, false) + "\n";
  return all;
}

void ExpectOnly(const Diagnostics& found, const Flaw& flaw, int line) {
  ASSERT_EQ(found.All().size(), 1u) << Describe(found);
  const Diagnostic& d = found.All()[0];
  EXPECT_EQ(d.line, flaw.line != 0 ? flaw.line : line) << Describe(found);
  EXPECT_EQ(d.severity, flaw.severity) << Describe(found);
  EXPECT_NE(d.text.find(flaw.text), std::string::npos) << Describe(found);
}

TEST(ScriptCheckTest, SoundScriptAndResponseGiveNothing) {
  Diagnostics found;
  CheckScript("Checked.inf", Joined(kSound), found);
  CheckResponse("Checked.ini", Joined(kSoundResponse), Joined(kSound), found);
  EXPECT_TRUE(found.All().empty()) << Describe(found);
}

TEST(ScriptCheckTest, EachFlawGivesExactlyItsDiagnostic) {
  constexpr Severity kE = Severity::Error, kW = Severity::Warning;
  const Flaw flaws[] = {
      // Lists naming sections the script lacks.
      {"<CompListWnd>", "0", "0=Coer | 0 | 1", kE, "no section [Coer]"},
      {"<InstTypeListWnd>", "0", "0=Typicl", kE, "install type \"Typicl\""},
      {"Typical", "0", "0=Cor | 0 | 1", kE, "no section [Cor]"},
      {"<InstSummaryWnd>", "InstalledType", "InstalledType=Custom", kE, "names [Custom]"},
      // The product's identity.
      {"<General>", "", "[Product]", kE, "no [<General>] section"},
      {"<General>", "", "[<Genral>]", kE, "[<Genral>] looks like a misspelling"},
      {"<General>", "ProductName", "VendorEmail=v@example.invalid", kE, "no ProductName", 1},
      {"<General>", "ProjectName", "ProjectNam=Checked", kE, "\"ProjectNam\" looks like"},
      {"<Destinations>", "nItems",
       "nItems=8\r\nInstallPath3=C:\\3\r\nInstallPath4=C:\\4\r\nInstallPath5=C:\\5\r\n"
       "InstallPath6=C:\\6\r\nInstallPath7=C:\\7\r\nInstallPath8=C:\\8",
       kE, "at most 7"},
      // Action lines the runner skips or never runs.
      {"<PreActions>", "0", "0=? | If (1 == 1 | 12 | Hello | Hi | 0", kE, "has no \")\""},
      {"<PreActions>", "0", "0=? | If ((1 == 1) | 12 | Hello | Hi | 0", kE, "unbalanced"},
      {"<PreActions>", "0", "0=? | If (Yes) | 12 | Hello | Hi | 0", kE, "\"Yes\" has no operator"},
      {"<CompletionWnd>", "0", "0=? | If (1 == 1) .and. (2 == 2) | 8 | N | a.txt | 1 | 0", kE,
       "connective \".and.\""},
      {"Core", "1", "1=? | If (1 == 1) | seventeen | x | y", kE, "\"seventeen\" is not one"},
      {"<Uninstall>", "Post0", "Post0=? | If (1 == 1) | 17 | x | y", kE, "\"17\" is not one"},
      // File and shortcut lines.
      {"Core", "0", "0=App.exe", kE, "too few fields"},
      {"Core", "Icon0", "Icon0=App | {InstallPath1}\\App.exe", kE, "shortcut line"},
      // Counts that disagree with the items.
      {"Core", "nItems", "nItems=2", kW, "\"2\" lies past it"},
      {"Core", "nItems", "nItems=4", kW, "\"3\" is missing"},
      {"Core", "nIcons", "nIcons=0", kW, "\"Icon0\" lies past it"},
      {"<Uninstall>", "PostnItems", "PostnItems=0", kW, "\"Post0\" lies past it"},
      {"<Destinations>", "nItems", "nItems=3", kW, "\"InstallPath3\" is missing"},
      // Misspelt engine names.
      {"Core", "nItems", "nItem=3", kW, "did you mean \"nItems\""},
      {"Core", "Icon0", "Icn0=A | b | | | d | e", kW, "did you mean \"Icon0\""},
      {"<Destinations>", "PathWndVisible", "PathWndVisable=1", kW, "\"PathWndVisible\""},
      {"<CompletionWnd>", "", "[<CompletionWind>]", kW, "did you mean [<CompletionWnd>]"},
      // Macros.
      {"<PreActions>", "0", "0=? | If (1 == 1) | 12 | Hello | {Product} | 0", kW,
       "{Product} names no built-in value"},
      {"Core", "0", "0=App.exe | {InstallPath3} | bin | 0", kW,
       "{InstallPath3} names no destination"},
      {"<VariableList>", "Value1", "Value1={InstallPath1}\\Key", kW, "resolved before the wizard"},
      {"<PreActions>", "0", "0=? | If (1 == 1) | 3 | Ini | {InstallPath1}\\a.ini | S | K | V", kW,
       "{InstallPath1} stays as written"},
      {"<CompletionWnd>", "0", "0=? | If (1 == 1) | 10 | Show | {Temp}\\Bb1.gif", kW,
       "{Temp} stays as written"},
      // Fields an action or a file line does not expect.
      {"Core", "1", "1=? | If (1 == 1) | 6 | Run | cmd.exe", kW, "takes 3 argument fields"},
      {"Core", "2", "2=Data.bin | {InstallPath2} | data | yes", kW, "shared flag \"yes\""},
      {"<PreActions>", "0", "0=! | If (1 == 1) | 12 | Hello | Hi | 0", kW, "not an action line"},
  };
  for (const Flaw& flaw : flaws) {
    SCOPED_TRACE(flaw.replacement);
    int line = 0;
    Diagnostics found;
    CheckScript("Checked.inf", Joined(WithFlaw(kSound, flaw, line)), found);
    ExpectOnly(found, flaw, line);
  }
}

TEST(ScriptCheckTest, ResponseFileNamingWhatTheScriptLacks) {
  constexpr Severity kE = Severity::Error, kW = Severity::Warning;
  const Flaw flaws[] = {
      {"ResponseFile", "InstalledType", "InstalledType=Full", kE, "[Full] is no section"},
      {"ResponseFile", "Component1", "Component2=1", kW, "Component2 names no component"},
      {"ResponseFile", "Component1", "Componnet1=1", kW, "did you mean \"Component1\""},
      {"ResponseFile", "InstallPath2", "InstallPath3=D:\\Data", kW, "names no destination"},
      {"ResponseFile", "InstallPath2", "AskUserName=Ada", kW, "does not ask for AskUserName"},
  };
  for (const Flaw& flaw : flaws) {
    SCOPED_TRACE(flaw.replacement);
    int line = 0;
    Diagnostics found;
    CheckResponse("Checked.ini", Joined(WithFlaw(kSoundResponse, flaw, line)), Joined(kSound),
                  found);
    ExpectOnly(found, flaw, line);
  }
}

// Hostile counts cost nothing, and a line past every bound still names its line.
TEST(ScriptCheckTest, HugeCountsAndOddTextsAreReportedNotWalked) {
  Diagnostics found;
  CheckScript(
      "Odd.inf",
      "\xEF\xBB\xBF[<General>]\nProductName=P\rProjectName=P\rProductVersion=1\r\n[<PreActions>]\n"
      "nItems=2147483647\n0=? | If (1 == 1) | 15 | Stop\n[<Destinations>]\nnItems=-5\n",
      found);
  ASSERT_EQ(found.All().size(), 1u) << Describe(found);
  EXPECT_EQ(found.All()[0].line, 6);
  EXPECT_NE(found.All()[0].text.find("\"1\" is missing (and 2147483645 more)"), std::string::npos);
}

std::string ReadSource(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(ScriptCheckTest, ExampleProductChecksClean) {
  std::filesystem::path sample = std::filesystem::path(VX_SOURCE_DIR) / "examples" / "sample";
  std::string script = ReadSource(sample / "Sample.inf");
  ASSERT_FALSE(script.empty());
  Diagnostics found;
  CheckScript("Sample.inf", script, found);
  CheckResponse("Sample.response.ini", ReadSource(sample / "Sample.response.ini"), script, found);
  EXPECT_TRUE(found.All().empty()) << Describe(found);
}

}  // namespace
}  // namespace vx::pack
