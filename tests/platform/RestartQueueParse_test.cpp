// The NT restart queue's names read and written back: every name keeps its bytes, and each
// reads as the Windows path that names the same file.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/RestartQueueParse.h"

namespace vx {
namespace {

using namespace std::string_literals;

TEST(RestartQueueParse, EveryNameReadsAsItsWindowsPathAndIsWrittenBackUnchanged) {
  const std::pair<std::string, std::string> names[] = {
      {"\\??\\C:\\a.txt", "C:\\a.txt"},
      {"\\??\\UNC\\server\\share\\b", "\\\\server\\share\\b"},
      // Not a network path once written "\\?\": the verbatim spelling keeps it apart.
      {"\\??\\UNC\\?\\C:\\x", "\\\\?\\UNC\\?\\C:\\x"},
      {"\\??\\UNC\\.\\pipe", "\\\\?\\UNC\\.\\pipe"},
      {"\\??\\UNC\\\\e\\b", "\\\\\\e\\b"},
      {"\\??\\UNC\\\\??\\UNC\\x", "\\\\\\??\\UNC\\x"},
      {"\\??\\\\\\e", "\\\\?\\\\\\e"},
      {"\\??\\UNC", "\\\\?\\UNC"},
      {"\\??\\", "\\\\?\\"},
  };
  for (const auto& [nt, windows] : names) {
    const std::string queue = nt + "\0!"s + nt + "\0\0"s;
    const auto ops = ParseNtQueue(queue);
    ASSERT_EQ(ops.size(), 1u) << nt;
    EXPECT_EQ(ops[0].source, windows) << nt;
    EXPECT_EQ(ops[0].target, windows) << nt;
    EXPECT_TRUE(ops[0].replace) << nt;
    EXPECT_EQ(SerializeNtQueue(ops), queue) << nt;
  }
  // "\\.\X" is "\??\X" on Windows too.
  EXPECT_EQ(SerializeNtQueue({{"\\\\.\\C:\\d", ""}}), "\\??\\C:\\d\0\0\0"s);
  // An NT name without "\??\" is reached through the global root, written as Windows writes it.
  const auto native = ParseNtQueue("\\Device\\Harddisk0\\c\0\0\0"s);
  ASSERT_EQ(native.size(), 1u);
  EXPECT_EQ(native[0].source, "\\\\?\\GLOBALROOT\\Device\\Harddisk0\\c");
  EXPECT_EQ(SerializeNtQueue(native), "\\??\\GLOBALROOT\\Device\\Harddisk0\\c\0\0\0"s);
}

TEST(RestartQueueParse, WininitLosesOnlyTheRenameLinesTakingThePath) {
  const std::string text =
      "[Other]\r\nNUL=C:\\App\\Main.exe\r\n[Rename]\r\nNUL=C:\\App\\main.EXE\r\n"
      "; NUL=C:\\App\\Main.exe\n C:\\App\\Sub\\..\\Main.exe = C:\\Tmp\\Main.exe\n"
      "NUL=C:\\Keep.txt\r\nNUL=C:\\App\r\nC:\\App\\Main.exe.bak=C:\\Tmp\\b";
  const auto takes = [](const PendingOperation& op) { return TakesPath(op, "C:\\App\\Main.exe"); };
  EXPECT_EQ(WininitWithout(text, takes),
            "[Other]\r\nNUL=C:\\App\\Main.exe\r\n[Rename]\r\n; NUL=C:\\App\\Main.exe\n"
            "NUL=C:\\Keep.txt\r\nC:\\App\\Main.exe.bak=C:\\Tmp\\b");
  // A move away from the path, or onto a folder holding it, is not the path's.
  EXPECT_FALSE(TakesPath({"C:\\App\\Main.exe", "C:\\Elsewhere"}, "C:\\App\\Main.exe"));
  EXPECT_FALSE(TakesPath({"C:\\Tmp\\x", "C:\\App"}, "C:\\App\\Main.exe"));
  EXPECT_FALSE(TakesPath({"C:\\Ap", ""}, "C:\\App\\Main.exe"));
}

}  // namespace
}  // namespace vx
