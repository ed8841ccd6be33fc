// A fresh machine, a quiet headless UI with queued answers and an install script for the
// wizard tests. Nothing here draws: the pages are driven as plain logic over the script.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx::test {

class UiTest : public FreshRunTest {
 protected:
  UiTest() {
    Configure("NT", {});
    ui = Headless();
    SetPaceFactor(0);
    FillFolderValues();
  }

  // Writes the lines (joined with CR LF) as the working copy of the install script.
  void UseScript(const std::vector<std::string>& lines,
                 const std::string& winPath = "C:\\Setup\\App.inf") {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    machine.WriteFile(winPath, text);
    SetScriptFile(winPath);
  }

  // Reopens the machine as `platform` ("NT" or "9x") run by an administrator, with extra
  // [Drives] lines (for example "D=fixed,drive_d").
  void Configure(const std::string& platform, const std::vector<std::string>& drives) {
    std::string lines = "Platform=" + platform + "\r\nAdmin=1\r\n[Drives]\r\nC=fixed,drive_c\r\n";
    for (const std::string& d : drives) lines += d + "\r\n";
    machine.Reconfigure(lines);
    FillFolderValues();
  }
  void AddDrives(const std::vector<std::string>& drives) { Configure("NT", drives); }

  // A string value under `root`; nothing when the key or the value is missing.
  static std::optional<std::string> RegString(HKEY root, const std::string& key,
                                              const std::string& name) {
    HKEY h = 0;
    if (RegOpenKeyEx(root, key, kKeyRead, &h) != kErrorSuccess) return std::nullopt;
    char buffer[2048];
    std::uint32_t type = 0, size = sizeof buffer;
    std::int32_t rc = RegQueryValueEx(h, name, &type, buffer, &size);
    RegCloseKey(h);
    if (rc != kErrorSuccess || type != kRegSz) return std::nullopt;
    std::string text(buffer, size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }

  TestMachine machine;
  HeadlessUi* ui = nullptr;
};

}  // namespace vx::test
