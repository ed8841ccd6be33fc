#include "platform/posix/NameTable.h"

#include <gtest/gtest.h>

#include <string>

namespace vx::posix {
namespace {

TEST(NameTable, FindsAnyCaseAndPrefersTheSmallestOfSeveralSpellings) {
  NameTable t;
  EXPECT_FALSE(t.Find("readme.txt"));
  t.Add("ReadMe.TXT");
  t.Add("readme.txt");
  t.Add("ReadMe.TXT");  // once only
  t.Add("other");
  EXPECT_EQ(t.Size(), 3u);
  EXPECT_EQ(t.Find("README.TXT"), "ReadMe.TXT");
  t.Remove("ReadMe.TXT");
  EXPECT_EQ(t.Find("README.TXT"), "readme.txt");
  t.Remove("README.TXT");  // removal is by the name as stored
  EXPECT_EQ(t.Find("readme.TXT"), "readme.txt");
  t.Remove("readme.txt");
  EXPECT_FALSE(t.Find("readme.txt"));
  EXPECT_EQ(t.Find("OTHER"), "other");
}

// Growth, removal and reuse across many names: every name stays findable, removed ones stay
// gone, through the rebuilds that growth and discarded text bring.
TEST(NameTable, KeepsManyNamesThroughGrowthAndChurn) {
  NameTable t;
  constexpr int kNames = 20000;
  for (int i = 0; i < kNames; ++i) ASSERT_TRUE(t.Add("File" + std::to_string(i) + ".Dat"));
  for (int i = 0; i < kNames; i += 2) t.Remove("File" + std::to_string(i) + ".Dat");
  for (int i = 0; i < kNames; i += 4) ASSERT_TRUE(t.Add("file" + std::to_string(i) + ".dat"));
  EXPECT_EQ(t.Size(), std::size_t(kNames / 2 + kNames / 4));
  for (int i = 0; i < kNames; ++i) {
    const auto found = t.Find("FILE" + std::to_string(i) + ".DAT");
    if (i % 4 == 0)
      EXPECT_EQ(found, "file" + std::to_string(i) + ".dat");
    else if (i % 2 == 0)
      EXPECT_FALSE(found) << i;
    else
      EXPECT_EQ(found, "File" + std::to_string(i) + ".Dat");
  }
}

}  // namespace
}  // namespace vx::posix
