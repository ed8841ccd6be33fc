// The script reference: its generated tables are those of the engine and the check (the
// committed file is what the generator writes), and every example in it passes the check.
#include "tools/vxpack/Reference.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/HostFiles.h"
#include "tests/support/TestMachine.h"

namespace vx::pack {
namespace {

namespace fs = std::filesystem;

std::string Reference() {
  return test::ReadHost(fs::path(VX_SOURCE_DIR) / "docs" / "script-reference.md");
}

// The fenced ```ini blocks of the document.
std::vector<std::string> IniBlocks(const std::string& doc) {
  std::vector<std::string> blocks;
  std::size_t at = 0;
  while ((at = doc.find("```ini\n", at)) != std::string::npos) {
    at += 7;
    std::size_t end = doc.find("```", at);
    blocks.push_back(doc.substr(at, end - at));
    at = end + 3;
  }
  return blocks;
}

// The example column of the generated action table, unescaped.
std::vector<std::string> ActionExamples(const std::string& doc) {
  std::vector<std::string> lines;
  std::size_t from = doc.find("<!-- BEGIN GENERATED: actions -->");
  std::size_t to = doc.find("<!-- END GENERATED: actions -->");
  std::istringstream in(doc.substr(from, to - from));
  for (std::string row; std::getline(in, row);) {
    std::size_t open = row.find("`? ");
    if (open == std::string::npos) continue;
    std::string cell = row.substr(open + 1, row.find('`', open + 1) - open - 1);
    std::string line;
    for (std::size_t i = 0; i < cell.size(); ++i) {
      if (cell[i] == '\\' && i + 1 < cell.size() && cell[i + 1] == '|') continue;
      line += cell[i];
    }
    lines.push_back(line);
  }
  return lines;
}

int Check(const fs::path& dir, const std::string& arguments, std::string& out) {
  fs::path log = dir / "check.txt";
  std::string command = "'" + test::BinDir() + "/vxpack' --check --strict " + arguments + " >'" +
                        log.string() + "' 2>&1";
  int status = std::system(command.c_str());
  out = test::ReadHost(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ScriptReferenceTest, GeneratedTablesMatchTheEnginesTables) {
  std::string doc = Reference(), filled, error;
  ASSERT_TRUE(FillReference(doc, filled, error)) << error;
  EXPECT_TRUE(filled == doc) << "docs/script-reference.md differs from the tables: run "
                                "build/bin/vxpack --reference docs/script-reference.md";
  // A part gone from the document is an error, not a silently shorter reference.
  std::string cut = doc.substr(0, doc.find("<!-- BEGIN GENERATED: texts -->"));
  EXPECT_FALSE(FillReference(cut, filled, error));
  EXPECT_NE(doc.find("| 40021 | `QuitQuestion` | `Res40021` |"), std::string::npos);
  EXPECT_NE(doc.find("| `ProductVersion` |"), std::string::npos);
}

TEST(ScriptReferenceTest, EveryExamplePassesTheStrictCheck) {
  test::TestMachine machine;
  fs::path dir = fs::path(machine.Dir()) / "reference";
  std::string doc = Reference();
  std::vector<std::string> blocks = IniBlocks(doc);
  std::vector<std::string> actions = ActionExamples(doc);
  ASSERT_EQ(actions, ReferenceActionExamples());
  ASSERT_EQ(actions.size(), 16u);
  std::string script, response;
  for (const std::string& b : blocks) (b.rfind("[<General>]", 0) == 0 ? script : response) = b;
  ASSERT_FALSE(script.empty());
  ASSERT_FALSE(response.empty());
  // The example's Tree line names a folder of its source tree.
  test::WriteHost(dir / "docs" / "Guide.html", "guide");

  // Every example action line, as items of the example's last component.
  const std::string extras = "nItems=1\n0=Data.bin | {InstallPath2} | data | 0\n";
  std::size_t at = script.find(extras);
  ASSERT_NE(at, std::string::npos);
  std::string lines =
      "nItems=" + std::to_string(actions.size() + 1) + "\n0=Data.bin | {InstallPath2} | data | 0\n";
  for (std::size_t i = 0; i < actions.size(); ++i)
    lines += std::to_string(i + 1) + "=" + actions[i] + "\n";
  script.replace(at, extras.size(), lines);
  test::WriteHost(dir / "Demo.inf", script);
  test::WriteHost(dir / "Demo.response.ini", response);

  std::string out;
  EXPECT_EQ(Check(dir,
                  "'" + (dir / "Demo.inf").string() + "' --check-response '" +
                      (dir / "Demo.response.ini").string() + "'",
                  out),
            0)
      << out;
  EXPECT_NE(out.find("0 errors, 0 warnings"), std::string::npos) << out;
}

}  // namespace
}  // namespace vx::pack
