// A fresh machine, a quiet headless UI with queued answers, and registry read helpers for the
// uninstall tests.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/files/SharedFiles.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx::test {

class UninstallTest : public FreshRunTest {
 protected:
  UninstallTest() {
    UseUi();
    SetPaceFactor(0);
    FillFolderValues();
  }

  void UseUi(std::vector<std::string> answers = {}) { ui = UseHeadlessUi(std::move(answers)); }

  // Rewrites machine.ini with the given [Machine] lines and reopens the machine.
  void Reconfigure(const std::string& machineLines) { machine.Reconfigure(machineLines); }

  // A DWORD value under HKEY_LOCAL_MACHINE, read-only access; nothing when absent.
  static std::optional<std::uint32_t> Dword(const std::string& subkey, const std::string& name) {
    HKEY key = 0;
    if (RegOpenKeyEx(kHkeyLocalMachine, subkey, kKeyRead, &key) != kErrorSuccess) return {};
    std::uint32_t type = 0, value = 0, size = 4;
    std::int32_t rc = RegQueryValueEx(key, name, &type, &value, &size);
    RegCloseKey(key);
    if (rc != kErrorSuccess || type != kRegDword || size != 4) return {};
    return value;
  }
  static std::optional<std::string> String(const std::string& subkey, const std::string& name) {
    HKEY key = 0;
    if (RegOpenKeyEx(kHkeyLocalMachine, subkey, kKeyRead, &key) != kErrorSuccess) return {};
    char buffer[2048];
    std::uint32_t type = 0, size = sizeof buffer;
    std::int32_t rc = RegQueryValueEx(key, name, &type, buffer, &size);
    RegCloseKey(key);
    if (rc != kErrorSuccess || type != kRegSz) return {};
    std::string text(buffer, size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  static void SetCount(const std::string& path, std::uint32_t value) {
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyEx(kHkeyLocalMachine, kSharedDllsKey, "", kKeyAllAccess, &key),
              kErrorSuccess);
    RegSetValueEx(key, path, kRegDword, &value, 4);
    RegCloseKey(key);
  }

  TestMachine machine;
  HeadlessUi* ui = nullptr;
};

}  // namespace vx::test
