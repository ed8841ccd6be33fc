// File names as Windows resolves them: case, trailing dots and blanks, slashes, "..", long names.
#include <string>

#include "platform/Files.h"
#include "tests/conformance/Sandbox.h"

namespace vx::test {
namespace {

using Paths = Sandbox;

TEST_F(Paths, OneFileUnderManySpellings) {
  ASSERT_TRUE(CreateDirectory(Folder() + "Dir"));
  Put(Folder() + "Dir\\readme.txt", "x");
  std::string base = Folder();
  std::string slashed = base;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  for (const std::string& spelling :
       {base + "DIR\\README.TXT", base + "Dir\\readme.txt.", base + "Dir\\readme.txt ",
        base + "Dir\\readme.txt. .", slashed + "Dir/readme.txt", base + "Dir\\..\\Dir\\readme.txt",
        base + "Dir\\.\\readme.txt"}) {
    EXPECT_TRUE(FileOrFolderExists(spelling)) << spelling;
    EXPECT_EQ(Get(spelling), "x") << spelling;
  }
  EXPECT_FALSE(FileOrFolderExists(base + "Dir\\readme.tx"));
}

TEST_F(Paths, LongNamesAndFinds) {
  const std::string name(200, 'n');
  Put(Folder() + name, "long");
  Put(Folder() + "b.txt", "b");
  Put(Folder() + "A.txt", "a");
  EXPECT_EQ(Get(Folder() + name), "long");
  FindData d;
  FindHandle h = FindFirstFile(Folder() + "*.txt", &d);
  ASSERT_NE(h, kInvalidFind);
  std::vector<std::string> names{d.name};
  while (FindNextFile(h, &d)) names.push_back(d.name);
  FindClose(h);
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt"}));
  EXPECT_EQ(FindFirstFile(Folder() + "*.none", &d), kInvalidFind);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
}

TEST_F(Paths, ErrorsNameTheCause) {
  EXPECT_EQ(
      CreateFile(Folder() + "missing.txt", kGenericRead, kShareRead, Disposition::OpenExisting),
      kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(
      CreateFile(Folder() + "nofolder\\x.txt", kGenericRead, kShareRead, Disposition::OpenExisting),
      kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  // Looks that end in a folder already looked through answer as the first one did; the
  // installation journal tells a missing file from a missing folder by them.
  Put(Folder() + "Seen.txt", "");
  for (int look = 0; look < 2; ++look) {
    EXPECT_EQ(GetFileAttributes(Folder() + "missing.txt"), kInvalidAttributes);
    EXPECT_EQ(GetLastError(), kErrorFileNotFound);
    EXPECT_EQ(GetFileAttributes(Folder() + "nofolder\\x.txt"), kInvalidAttributes);
    EXPECT_EQ(GetLastError(), kErrorPathNotFound);
    EXPECT_NE(GetFileAttributes(Folder() + "SEEN.TXT"), kInvalidAttributes);
  }
  ASSERT_TRUE(CreateDirectory(Folder() + "full"));
  Put(Folder() + "full\\f", "");
  EXPECT_FALSE(RemoveDirectory(Folder() + "full"));
  EXPECT_EQ(GetLastError(), kErrorDirNotEmpty);
  EXPECT_FALSE(CreateDirectory(Folder() + "full"));
  EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
}

}  // namespace
}  // namespace vx::test
