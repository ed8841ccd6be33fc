// Counts are data of the script: a list whose count says 2147483647 costs what
// its items cost, in the installation and in its uninstall.
#include <sstream>

#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

class HugeCounts : public E2eTest {};

// Every count of the script but those of the install types (which would make
// the response file's empty type the installed one) and of the components' file
// lines becomes the largest integer; a variable list with one variable is
// added. vxpack rightly refuses such a script, so the built one is changed.
std::string WithHugeCounts(const std::string &script) {
  std::istringstream in(script);
  std::string out, line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') section = line;
    const std::size_t eq = line.find('=');
    const std::string key = line.substr(0, eq);
    // A component's missing file line is an empty file name, which fails the
    // component.
    const bool component = section == "[Core]" || section == "[Docs]" || section == "[Extras]";
    if (eq != std::string::npos && section != "[<InstTypeListWnd>]" &&
        !(component && key == "nItems") &&
        (key == "nItems" || key == "nIcons" || key == "PrenItems" || key == "PostnItems"))
      line = key + "=2147483647";
    out += line + "\r\n";
  }
  return out +
         "[<VariableList>]\r\nnItems=2147483647\r\nVariable1="
         "Mode\r\nValue1=full\r\n";
}

TEST_F(HugeCounts, EveryListCountedToTheLargestIntegerInstallsAndUninstallsAsItsItems) {
  DemoSources();
  Product demo = Demo();
  demo.temp = {"Readme.txt"};
  Source("$Temp/Readme.txt", "read me");
  ASSERT_EQ(Pack(demo, "C:\\cd", {"--folder"}).status, 0);
  WriteHost(Host("C:\\cd\\Demo.inf"), WithHugeCounts(ReadHost(Host("C:\\cd\\Demo.inf"))));
  std::string response = Response({0, 1}, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  Outcome run = RunWin("C:\\cd\\Install.exe", {"-s", response});
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.status, 0) << run.err;
  ExpectDemoInstalled({"Core", "Docs"}, "C:\\cd\\");

  Outcome removal =
      RunWin("C:\\Program Files\\Demo\\Install.exe", {"-u", "C:\\Program Files\\Demo\\Demo.inf"},
             {"VX_WAIT=1", Answers({"ok", "yes"})});
  ASSERT_FALSE(removal.timedOut);
  EXPECT_EQ(removal.status, 0) << removal.err;
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e
