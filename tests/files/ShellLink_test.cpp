#include "platform/ShellLink.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/base/Macros.h"
#include "engine/base/Store.h"
#include "engine/files/Shortcut.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/System.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16At(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
bool Parses(const Bytes& b, ShellLinkData* out = nullptr) {
  ShellLinkData scratch;
  return ParseShellLink(b.data(), b.size(), out ? out : &scratch);
}

ShellLinkData FullLink() {
  ShellLinkData d;
  d.target = "C:\\Program Files\\App\\a.exe";
  d.description = "Tool";
  d.workingDir = "C:\\Program Files\\App\\";
  d.arguments = "-x \"two words\"";
  d.iconFile = "C:\\Program Files\\App\\a.exe";
  d.iconIndex = 3;
  d.fileAttributes = 0x20;
  d.fileSize = 12345;
  d.creationTime.ticks = 0x01C9151511223344ull;
  d.accessTime.ticks = 0x01C9151511223355ull;
  d.writeTime.ticks = 0x01C9151511223366ull;
  d.driveSerial = 0x307A8A81;
  d.volumeLabel = "SYSTEM";
  return d;
}

TEST(ShellLinkWriter, HeaderFollowsTheFixedLayout) {
  Bytes b = BuildShellLink(FullLink());
  ASSERT_GE(b.size(), 0x4Cu);
  EXPECT_EQ(U32At(b, 0), 0x4Cu);
  const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  EXPECT_EQ(std::memcmp(b.data() + 4, clsid, 16), 0);
  std::uint32_t flags = U32At(b, 0x14);
  EXPECT_EQ(flags, kLinkHasLinkInfo | kLinkHasName | kLinkHasWorkingDir | kLinkHasArguments |
                       kLinkHasIconLocation);
  EXPECT_EQ(flags & kLinkIsUnicode, 0u) << "strings are 8-bit text";
  EXPECT_EQ(U32At(b, 0x18), 0x20u);                                 // attributes
  EXPECT_EQ(U32At(b, 0x34), 12345u);                                // file size
  EXPECT_EQ(U32At(b, 0x38), 3u);                                    // icon index
  EXPECT_EQ(U32At(b, 0x3C), 1u);                                    // show normal
  EXPECT_EQ(U32At(b, 0x44) | U32At(b, 0x48) | U16At(b, 0x42), 0u);  // reserved
  EXPECT_EQ(U32At(b, b.size() - 4), 0u) << "ends with the terminal extra-data block";
}

// Offsets computed by hand from the published structure sizes, so that writer and parser
// cannot agree on a wrong layout.
TEST(ShellLinkWriter, LinkInfoOfALocalTargetIsLaidOutByHand) {
  ShellLinkData d;
  d.target = "C:\\test\\a.txt";  // 13 characters
  d.driveType = 3;
  d.driveSerial = 0x11223344;
  Bytes b = BuildShellLink(d);
  const std::size_t li = 0x4C;
  const std::uint32_t volumeIdSize = 0x10 + 1;  // empty label and its NUL
  const std::uint32_t linkInfoSize = 0x1C + volumeIdSize + 14 + 1;
  ASSERT_EQ(b.size(), li + linkInfoSize + 4);
  EXPECT_EQ(U32At(b, 0x14), kLinkHasLinkInfo);
  EXPECT_EQ(U32At(b, li + 0), linkInfoSize);
  EXPECT_EQ(U32At(b, li + 4), 0x1Cu);   // header without Unicode offsets
  EXPECT_EQ(U32At(b, li + 8), 1u);      // VolumeIDAndLocalBasePath
  EXPECT_EQ(U32At(b, li + 12), 0x1Cu);  // VolumeID right after the header
  EXPECT_EQ(U32At(b, li + 16), 0x1C + volumeIdSize);
  EXPECT_EQ(U32At(b, li + 20), 0u);  // no network link
  EXPECT_EQ(U32At(b, li + 24), 0x1C + volumeIdSize + 14);
  EXPECT_EQ(U32At(b, li + 0x1C), volumeIdSize);
  EXPECT_EQ(U32At(b, li + 0x1C + 4), 3u);  // DRIVE_FIXED
  EXPECT_EQ(U32At(b, li + 0x1C + 8), 0x11223344u);
  EXPECT_EQ(U32At(b, li + 0x1C + 12), 0x10u);  // label offset
  std::string base(reinterpret_cast<const char*>(&b[li + 0x1C + volumeIdSize]));
  EXPECT_EQ(base, "C:\\test\\a.txt");
  EXPECT_EQ(b[li + linkInfoSize - 1], 0);  // empty common path suffix
}

TEST(ShellLinkWriter, CountedStringsComeInTheFixedOrder) {
  ShellLinkData d;
  d.description = "N";
  d.relativePath = "R";
  d.workingDir = "W";
  d.arguments = "A";
  d.iconFile = "I";
  Bytes b = BuildShellLink(d);
  ASSERT_EQ(b.size(), 0x4Cu + 5 * 3 + 4);
  std::string order;
  for (std::size_t p = 0x4C; p < 0x4C + 15; p += 3) {
    EXPECT_EQ(U16At(b, p), 1u);
    order.push_back(static_cast<char>(b[p + 2]));
  }
  EXPECT_EQ(order, "NRWAI");
}

TEST(ShellLinkRoundTrip, EveryFieldOfALocalTargetComesBack) {
  ShellLinkData in = FullLink();
  ShellLinkData out;
  Bytes b = BuildShellLink(in);
  ASSERT_TRUE(Parses(b, &out));
  EXPECT_EQ(out.target, in.target);
  EXPECT_EQ(out.description, in.description);
  EXPECT_EQ(out.workingDir, in.workingDir);
  EXPECT_EQ(out.arguments, in.arguments);
  EXPECT_EQ(out.iconFile, in.iconFile);
  EXPECT_EQ(out.iconIndex, 3);
  EXPECT_EQ(out.relativePath, "");
  EXPECT_EQ(out.fileAttributes, 0x20u);
  EXPECT_EQ(out.fileSize, 12345u);
  EXPECT_EQ(out.creationTime, in.creationTime);
  EXPECT_EQ(out.accessTime, in.accessTime);
  EXPECT_EQ(out.writeTime, in.writeTime);
  EXPECT_EQ(out.driveType, 3u);
  EXPECT_EQ(out.driveSerial, in.driveSerial);
  EXPECT_EQ(out.volumeLabel, "SYSTEM");
  EXPECT_EQ(out.showCommand, 1u);
}

TEST(ShellLinkRoundTrip, NetworkTargetsAndOddValues) {
  ShellLinkData in;
  in.target = "\\\\server\\share\\tools\\b.exe";
  in.iconIndex = -7;
  in.arguments = std::string("\xE9t\xE9", 3);  // code page bytes pass through unchanged
  ShellLinkData out;
  Bytes b = BuildShellLink(in);
  ASSERT_TRUE(Parses(b, &out));
  EXPECT_EQ(out.target, in.target);
  EXPECT_EQ(out.iconIndex, -7);
  EXPECT_EQ(out.arguments, in.arguments);

  in.target = "\\\\server\\share";  // the share itself: empty suffix
  ASSERT_TRUE(Parses(BuildShellLink(in), &out));
  EXPECT_EQ(out.target, "\\\\server\\share");

  // A target that is no full path gets no LinkInfo; the caller keeps it as a relative path.
  ShellLinkData rel;
  rel.target = "notepad.exe";
  rel.relativePath = "notepad.exe";
  b = BuildShellLink(rel);
  EXPECT_EQ(U32At(b, 0x14), kLinkHasRelativePath);
  ASSERT_TRUE(Parses(b, &out));
  EXPECT_EQ(out.target, "");
  EXPECT_EQ(out.relativePath, "notepad.exe");
  // A count that takes in the string's terminator, as some writers give it.
  rel.relativePath = std::string("notepad.exe\0", 12);
  ASSERT_TRUE(Parses(BuildShellLink(rel), &out));
  EXPECT_EQ(out.relativePath, "notepad.exe");

  // Nothing at all: the bare header and the terminal block.
  b = BuildShellLink(ShellLinkData{});
  EXPECT_EQ(b.size(), 0x4Cu + 4);
  EXPECT_TRUE(Parses(b));
}

TEST(ShellLinkRoundTrip, OverlongStringsAreCutToTheCountLimit) {
  ShellLinkData in;
  in.description.assign(70000, 'd');
  in.arguments = "after";
  ShellLinkData out;
  ASSERT_TRUE(Parses(BuildShellLink(in), &out));
  EXPECT_EQ(out.description.size(), 0xFFFFu);
  EXPECT_EQ(out.arguments, "after") << "the strings after the cut one stay in step";
}

// A link as the shell saves it on newer systems: item ID list, LinkInfo with Unicode offsets,
// Unicode strings and one extra-data block.
Bytes ShellStyleLink() {
  Bytes b(0x4C, 0);
  Set32(b, 0, 0x4C);
  const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  std::memcpy(&b[4], clsid, 16);
  Set32(
      b, 0x14,
      kLinkHasTargetIdList | kLinkHasLinkInfo | kLinkHasName | kLinkIsUnicode | kLinkHasExpString);
  Set32(b, 0x3C, 1);
  // ID list: one 6-byte item and the terminal id.
  for (std::uint8_t v : {0x08, 0x00, 0x06, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x00, 0x00})
    b.push_back(v);
  // LinkInfo with a 0x24 header: volume id, local base path, suffix, Unicode suffix.
  Bytes info(0x24, 0);
  Set32(info, 4, 0x24);
  Set32(info, 8, 1);
  Set32(info, 12, 0x24);
  Bytes vol(0x11, 0);
  Set32(vol, 0, 0x11);
  Set32(vol, 4, 3);
  Set32(vol, 12, 0x10);
  info.insert(info.end(), vol.begin(), vol.end());
  Set32(info, 16, static_cast<std::uint32_t>(info.size()));
  for (char c : std::string("D:\\x.txt")) info.push_back(static_cast<std::uint8_t>(c));
  info.push_back(0);
  Set32(info, 24, static_cast<std::uint32_t>(info.size()));
  info.push_back(0);
  Set32(info, 28, static_cast<std::uint32_t>(info.size()));  // Unicode base path
  for (char c : std::string("D:\\x.txt")) {
    info.push_back(static_cast<std::uint8_t>(c));
    info.push_back(0);
  }
  info.push_back(0);
  info.push_back(0);
  Set32(info, 32, static_cast<std::uint32_t>(info.size()));  // Unicode suffix
  info.push_back(0);
  info.push_back(0);
  Set32(info, 0, static_cast<std::uint32_t>(info.size()));
  b.insert(b.end(), info.begin(), info.end());
  // NAME_STRING in UTF-16: "Hi" (0x48 0x69) and one character beyond 8 bits.
  for (std::uint8_t v : {0x03, 0x00, 0x48, 0x00, 0x69, 0x00, 0x3A, 0x26}) b.push_back(v);
  // Environment-variable block (0x314 bytes), then the terminal block.
  Bytes env(0x314, 0);
  Set32(env, 0, 0x314);
  Set32(env, 4, 0xA0000001);
  b.insert(b.end(), env.begin(), env.end());
  for (int i = 0; i < 4; ++i) b.push_back(0);
  return b;
}

TEST(ShellLinkParser, ReadsShellStyleLinksWithIdListsAndUnicode) {
  Bytes b = ShellStyleLink();
  ShellLinkData out;
  ASSERT_TRUE(Parses(b, &out));
  EXPECT_EQ(out.target, "D:\\x.txt");
  EXPECT_EQ(out.description, "Hi?");

  // The flag that announces the environment block needs the block.
  Bytes noBlock = b;
  std::size_t envAt = noBlock.size() - 4 - 0x314;
  noBlock.erase(noBlock.begin() + static_cast<std::ptrdiff_t>(envAt),
                noBlock.begin() + static_cast<std::ptrdiff_t>(envAt + 0x314));
  EXPECT_FALSE(Parses(noBlock));

  // A known block with the wrong size.
  Bytes badBlock = b;
  Set32(badBlock, envAt, 0x310);
  EXPECT_FALSE(Parses(badBlock));

  // An ID list item that runs past the list.
  Bytes badItem = b;
  badItem[0x4C + 2] = 0x09;
  EXPECT_FALSE(Parses(badItem));

  // A list whose terminal id does not sit at its end.
  Bytes badTerminal = b;
  badTerminal[0x4C] = 0x0A;
  EXPECT_FALSE(Parses(badTerminal));
}

TEST(ShellLinkParser, RejectsHeadersThatBreakTheLayout) {
  Bytes good = BuildShellLink(FullLink());
  ASSERT_TRUE(Parses(good));

  Bytes b = good;
  b[0] = 0x4D;  // header size
  EXPECT_FALSE(Parses(b));
  b = good;
  b[19] = 0x47;  // class id
  EXPECT_FALSE(Parses(b));
  b = good;
  b[0x42] = 1;  // Reserved1
  EXPECT_FALSE(Parses(b));
  b = good;
  b[0x48] = 1;  // Reserved3
  EXPECT_FALSE(Parses(b));
  b = good;
  b.push_back(0);  // bytes after the terminal block
  EXPECT_FALSE(Parses(b));
  EXPECT_FALSE(ParseShellLink(nullptr, 0, nullptr));
}

TEST(ShellLinkParser, RejectsFlagsThatDisagreeWithTheStructures) {
  ShellLinkData d;
  d.target = "C:\\a.exe";
  Bytes good = BuildShellLink(d);
  ASSERT_TRUE(Parses(good));

  // Claims an ID list that is not there (the LinkInfo bytes do not form one).
  Bytes b = good;
  Set32(b, 0x14, U32At(b, 0x14) | kLinkHasTargetIdList);
  EXPECT_FALSE(Parses(b));
  // Claims a name string: the extra data that follows is consumed and the file runs short.
  b = good;
  Set32(b, 0x14, U32At(b, 0x14) | kLinkHasName);
  EXPECT_FALSE(Parses(b));
  // Drops the LinkInfo flag: the structure's bytes are then no extra-data block.
  b = good;
  Set32(b, 0x14, 0);
  EXPECT_FALSE(Parses(b));
  // Announces a Darwin id without its block.
  b = good;
  Set32(b, 0x14, U32At(b, 0x14) | kLinkHasDarwinId);
  EXPECT_FALSE(Parses(b));
}

TEST(ShellLinkParser, RejectsLinkInfoWithBadSizesAndOffsets) {
  ShellLinkData d;
  d.target = "C:\\dir\\a.exe";
  d.description = "x";
  const Bytes good = BuildShellLink(d);
  const std::size_t li = 0x4C;
  const std::uint32_t size = U32At(good, li);
  auto with = [&](std::size_t at, std::uint32_t v) {
    Bytes b = good;
    Set32(b, at, v);
    return b;
  };
  EXPECT_FALSE(Parses(with(li, size + 1)));          // size past the structure's strings
  EXPECT_FALSE(Parses(with(li, 0x1B)));              // smaller than its header
  EXPECT_FALSE(Parses(with(li, 0xFFFFFFFF)));        // past the file
  EXPECT_FALSE(Parses(with(li + 4, 0x20)));          // header size between the two forms
  EXPECT_FALSE(Parses(with(li + 8, 0)));             // offsets present, flag clear
  EXPECT_FALSE(Parses(with(li + 8, 3)));             // network flag without its offset
  EXPECT_FALSE(Parses(with(li + 12, 0x04)));         // volume id inside the header
  EXPECT_FALSE(Parses(with(li + 12, size)));         // volume id past the end
  EXPECT_FALSE(Parses(with(li + 24, size)));         // suffix past the end
  EXPECT_FALSE(Parses(with(li + 0x1C, 0x10)));       // volume id of header size only
  EXPECT_FALSE(Parses(with(li + 0x1C + 4, 7)));      // no such drive type
  EXPECT_FALSE(Parses(with(li + 0x1C + 12, 0x40)));  // label outside the volume id

  // An unterminated suffix: its NUL replaced by a character.
  Bytes b = good;
  b[li + size - 1] = 'x';
  EXPECT_FALSE(Parses(b));
}

TEST(ShellLinkParser, RejectsEveryTruncation) {
  Bytes b = BuildShellLink(FullLink());
  for (std::size_t n = 0; n < b.size(); ++n) {
    ShellLinkData out;
    EXPECT_FALSE(ParseShellLink(b.data(), n, &out)) << n;
  }
}

TEST(ShellLinkParser, SurvivesEverySingleByteCorruption) {
  // Each byte of two different links set to values that make sizes and counts hostile. The
  // parser must stay inside the buffer (checked under sanitizers) and whatever it accepts must
  // be self-consistent.
  for (const Bytes& good : {BuildShellLink(FullLink()), ShellStyleLink()}) {
    for (std::size_t i = 0; i < good.size(); ++i) {
      for (std::uint8_t v : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
        Bytes b = good;
        b[i] = v;
        ShellLinkData out;
        if (ParseShellLink(b.data(), b.size(), &out)) {
          EXPECT_LE(out.target.size() + out.description.size() + out.arguments.size() +
                        out.workingDir.size() + out.iconFile.size() + out.relativePath.size(),
                    b.size());
        }
      }
    }
  }
}

// ---------------------------------------------------------------- shortcut lines

TEST(ShortcutIconField, SplitsAtTheLastBlank) {
  std::string file;
  int index = -1;
  SplitIconField("C:\\P\\a.exe 0", &file, &index);
  EXPECT_EQ(file, "C:\\P\\a.exe");
  EXPECT_EQ(index, 0);
  SplitIconField("C:\\Program Files\\App\\a.exe 2", &file, &index);
  EXPECT_EQ(file, "C:\\Program Files\\App\\a.exe");
  EXPECT_EQ(index, 2);
  // The blank inside the path splits it when no index follows.
  SplitIconField("C:\\Program Files\\App\\a.exe", &file, &index);
  EXPECT_EQ(file, "C:\\Program");
  EXPECT_EQ(index, 0);
  // No blank at all: no icon.
  SplitIconField("C:\\P\\a.exe", &file, &index);
  EXPECT_EQ(file, "");
  EXPECT_EQ(index, 0);
  SplitIconField("", &file, &index);
  EXPECT_EQ(file, "");
  // The file part loses its trailing blanks; the index is the leading number only.
  SplitIconField("C:\\a.ico   12x", &file, &index);
  EXPECT_EQ(file, "C:\\a.ico");
  EXPECT_EQ(index, 12);
  SplitIconField("C:\\a.dll -5", &file, &index);
  EXPECT_EQ(index, -5);
  SplitIconField("C:\\a.dll 99999999999999999999", &file, &index);
  EXPECT_EQ(index, INT_MAX);
  SplitIconField("C:\\a.dll -99999999999999999999", &file, &index);
  EXPECT_EQ(index, INT_MIN);
}

class ShortcutTest : public test::FreshRunTest {
 protected:
  ShortcutTest() {
    SetPaceFactor(0);
    FillFolderValues();
    machine.WriteFile("C:\\Setup\\App.inf",
                      "[<General>]\r\nFolderName=Acme\\Tool Suite\r\nProductName=Tool\r\n");
    SetScriptFile("C:\\Setup\\App.inf");
  }

  bool ReadLink(const std::string& winPath, ShellLinkData* link) {
    std::string bytes = machine.ReadFile(winPath);
    return ParseShellLink(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), link);
  }
  bool Exists(const std::string& winPath) { return std::filesystem::exists(machine.Host(winPath)); }

  test::TestMachine machine;
};

TEST_F(ShortcutTest, DesktopShortcutParsesBackWithEveryField) {
  machine.WriteFile("C:\\P\\a.exe", "MZ123");
  CreateShortcut("Tool | C:\\P\\a.exe | | C:\\P\\a.exe 0 | C:\\P\\ | {Desktop} |");
  std::string desktop = ShellFolder(kCsidlDesktopDirectory);
  ASSERT_FALSE(desktop.empty());
  if (desktop.back() != '\\') desktop += '\\';
  ShellLinkData link;
  ASSERT_TRUE(ReadLink(desktop + "Tool.lnk", &link));
  EXPECT_EQ(link.target, "C:\\P\\a.exe");
  EXPECT_EQ(link.description, "Tool");
  EXPECT_EQ(link.arguments, "");
  EXPECT_EQ(link.workingDir, "C:\\P\\");
  EXPECT_EQ(link.iconFile, "C:\\P\\a.exe");
  EXPECT_EQ(link.iconIndex, 0);
  EXPECT_EQ(link.linkFlags & kLinkIsUnicode, 0u);
  // What the shell records of an existing target.
  EXPECT_EQ(link.fileSize, 5u);
  EXPECT_NE(link.writeTime.ticks, 0u);
  EXPECT_EQ(link.driveType, 3u);
}

TEST_F(ShortcutTest, ProductFolderIsCreatedWithItsParents) {
  CreateShortcut(
      "Read Me|{ProgramFiles}\\Acme\\readme.txt|-a \"b c\"|C:\\i.ico 4|"
      "{ProgramFiles}\\Acme|{ProductFolder}");
  std::string folder = Expanded("{ProductFolder}");
  ASSERT_NE(folder.find("Acme\\Tool Suite"), std::string::npos) << folder;
  ShellLinkData link;
  if (folder.back() != '\\') folder += '\\';
  ASSERT_TRUE(ReadLink(folder + "Read Me.lnk", &link));
  EXPECT_EQ(link.target, "C:\\Program Files\\Acme\\readme.txt");
  EXPECT_EQ(link.arguments, "-a \"b c\"");
  EXPECT_EQ(link.iconFile, "C:\\i.ico");
  EXPECT_EQ(link.iconIndex, 4);
  EXPECT_EQ(link.workingDir, "C:\\Program Files\\Acme");
  // A target that does not exist yet leaves the recorded attributes empty.
  EXPECT_EQ(link.fileAttributes, 0u);
  EXPECT_EQ(link.fileSize, 0u);
}

TEST_F(ShortcutTest, OddLinesGiveOddOrNoShortcuts) {
  // A folder without its backslash gets one; a relative target stays a relative path.
  CreateShortcut("Pad|notepad.exe|||C:\\|C:\\Links");
  ShellLinkData link;
  ASSERT_TRUE(ReadLink("C:\\Links\\Pad.lnk", &link));
  EXPECT_EQ(link.target, "");
  EXPECT_EQ(link.relativePath, "notepad.exe");
  EXPECT_EQ(link.iconFile, "");

  // Made again, the link is replaced whole.
  CreateShortcut("Pad|C:\\W\\write.exe|||C:\\|C:\\Links");
  ASSERT_TRUE(ReadLink("C:\\Links\\Pad.lnk", &link));
  EXPECT_EQ(link.target, "C:\\W\\write.exe");
  EXPECT_EQ(link.relativePath, "");

  // A target written with forward slashes is the same full path.
  CreateShortcut("Slash|C:/W/write.exe|||C:\\|C:\\Links");
  ASSERT_TRUE(ReadLink("C:\\Links\\Slash.lnk", &link));
  EXPECT_EQ(link.target, "C:\\W\\write.exe");

  // No name, no folder, an unmapped drive: nothing, and no stray file.
  CreateShortcut("|C:\\a.exe|||C:\\|C:\\Links");
  EXPECT_FALSE(Exists("C:\\Links\\.lnk"));
  CreateShortcut("Lost|C:\\a.exe|||C:\\|");
  EXPECT_FALSE(Exists("C:\\Lost.lnk"));
  CreateShortcut("Far|C:\\a.exe|||C:\\|Q:\\Links");
  CreateShortcut("");
}

TEST_F(ShortcutTest, PathsBeyondTheBufferMakeNoShortcut) {
  std::string folder = "C:\\L\\";
  // folder (5) + name + ".lnk" (4): 259 characters fit, 260 do not.
  std::string fits(259 - 5 - 4, 'n');
  std::string tooLong(260 - 5 - 4, 'm');
  CreateShortcut(fits + "|C:\\a.exe|||C:\\|" + folder);
  CreateShortcut(tooLong + "|C:\\a.exe|||C:\\|" + folder);
  ShellLinkData link;
  EXPECT_TRUE(ReadLink(folder + fits + ".lnk", &link));
  EXPECT_FALSE(Exists(folder + tooLong + ".lnk"));
}

}  // namespace
}  // namespace vx
