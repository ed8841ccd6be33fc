// Karvo.dll and the program that loads it share one machine and one table of file handles.
#include <gtest/gtest.h>

#include "library/Karvo.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "tests/support/TestMachine.h"

namespace vx::test {
namespace {

TEST(LibraryBoundary, KarvoSeesTheProgramsMachineAndHandleTable) {
  TestMachine machine;
  const void* libraryMachine = nullptr;
  const void* libraryHandles = nullptr;
  KarvoPlatformIdentity(&libraryMachine, &libraryHandles);
  EXPECT_EQ(libraryMachine, &Machine::Current());
  EXPECT_EQ(libraryHandles, FileHandleTableIdentity());

  // What that means: a handle the library opens on the program's machine reads in the program.
  machine.WriteFile("C:\\Shared.txt", "shared");
  FileHandle h = PrepareFileForRead("C:\\Shared.txt");
  ASSERT_NE(h, kInvalidHandle);
  char buffer[8] = {};
  std::uint32_t read = 0;
  EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read));
  EXPECT_EQ(std::string(buffer, read), "shared");
  EXPECT_TRUE(CloseHandle(h));
}

}  // namespace
}  // namespace vx::test
