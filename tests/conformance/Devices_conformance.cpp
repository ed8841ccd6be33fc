// Device names in paths: "NUL" (with any extension, case or trailing dots and blanks) is the
// null device under every folder; the other device names are never files either.
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/conformance/Sandbox.h"

namespace vx::test {
namespace {

using Devices = Sandbox;

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  FindData d;
  FindHandle h = FindFirstFile(folder + "*", &d);
  if (h == kInvalidFind) return names;
  do {
    if (d.name != "." && d.name != "..") names.push_back(d.name);
  } while (FindNextFile(h, &d));
  FindClose(h);
  return names;
}

TEST_F(Devices, NulSwallowsWritesAndNoDeviceNameIsAFile) {
  for (const std::string name : {"NUL", "nul.txt", "Nul.tar.gz", "NUL ", "nul."}) {
    const std::string path = Folder() + name;
    FileHandle h = CreateFile(path, kGenericWrite, kShareRead, Disposition::CreateAlways);
    ASSERT_NE(h, kInvalidHandle) << name;
    std::uint32_t n = 0;
    EXPECT_TRUE(WriteFile(h, "abc", 3, &n)) << name;
    EXPECT_EQ(n, 3u) << name;
    CloseHandle(h);
    EXPECT_EQ(Get(path), "") << name;
    EXPECT_FALSE(DeleteFile(path)) << name;
  }
  // The console and the printer depend on the machine (and the ports may wait for hardware):
  // only what is the same everywhere is checked. Windows shows them as plain files.
  for (const std::string name : {"NUL", "con", "PRN.log", "lpt1.txt", "COM9"}) {
    EXPECT_EQ(GetFileAttributes(Folder() + name), kAttrArchive) << name;
    EXPECT_TRUE(FileOrFolderExists(Folder() + name)) << name;
  }
  // Names that only look like devices are files.
  for (const std::string name : {"nul1", "xnul", "CONx.txt", "lpt.txt", "COM10"})
    Put(Folder() + name, name);
  EXPECT_EQ(Get(Folder() + "CONx.txt"), "CONx.txt");
  EXPECT_EQ(Listing(Folder()).size(), 5u);
}

}  // namespace
}  // namespace vx::test
