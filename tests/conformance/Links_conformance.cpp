// Shortcut files: what the system saves it reads back, and each side reads the other's links
// (the link layout written byte by byte, and the system's own link object).
#include <cstdint>
#include <string>

#include "platform/LinkFile.h"
#include "tests/conformance/Sandbox.h"

namespace vx::test {
namespace {

using Links = Sandbox;

// SW_SHOWMINNOACTIVE, and Ctrl+Alt+K (HOTKEYF_CONTROL | HOTKEYF_ALT in the high byte).
constexpr std::uint32_t kShowMinimized = 7;
constexpr std::uint16_t kCtrlAltK = 0x0600 | 'K';

// Wine's link reader gives SW_SHOWNORMAL for every link it loads (its writer keeps the value,
// as Windows' does): the show command is checked where the layout reads a link.
enum class Show { Checked, WineReadsNormal };

void ExpectSameFields(const ShellLinkData& got, const ShellLinkData& want, const char* side,
                      Show show = Show::Checked) {
  EXPECT_EQ(got.target, want.target) << side;
  EXPECT_EQ(got.arguments, want.arguments) << side;
  EXPECT_EQ(got.description, want.description) << side;
  EXPECT_EQ(got.workingDir, want.workingDir) << side;
  EXPECT_EQ(got.iconFile, want.iconFile) << side;
  EXPECT_EQ(got.iconIndex, want.iconIndex) << side;
  if (show == Show::Checked) {
    EXPECT_EQ(got.showCommand, want.showCommand) << side;
  }
  EXPECT_EQ(got.hotKey, want.hotKey) << side;
}

TEST_F(Links, EachSideReadsTheOthersLinks) {
  Put(Folder() + "app.exe", "MZ");
  ShellLinkData link;
  link.target = Folder() + "app.exe";
  link.arguments = "-x \"two words\"";
  link.description = "Vx Sample";
  link.workingDir = Folder().substr(0, Folder().size() - 1);
  link.iconFile = Folder() + "app.exe";
  link.iconIndex = 2;
  link.showCommand = kShowMinimized;
  link.hotKey = kCtrlAltK;

  // The system's writer, then its reader.
  const std::string saved = Folder() + "saved.lnk";
  ASSERT_TRUE(SaveLinkFile(saved, link));
  ShellLinkData back;
  ASSERT_TRUE(LoadLinkFile(saved, &back));
  ExpectSameFields(back, link, "system reads its own link", Show::WineReadsNormal);

  // The layout's bytes, read by the system's reader.
  const std::string built = Folder() + "built.lnk";
  const std::vector<std::uint8_t> bytes = BuildShellLink(link);
  Put(built, std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(LoadLinkFile(built, &back));
  ExpectSameFields(back, link, "system reads the layout's link", Show::WineReadsNormal);

  // The system's bytes, read by the layout's parser.
  const std::string raw = Get(saved);
  ASSERT_TRUE(ParseShellLink(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size(), &back));
  ExpectSameFields(back, link, "layout reads the system's link");

  // Not a link: refused by both.
  Put(Folder() + "junk.lnk", "not a link");
  EXPECT_FALSE(LoadLinkFile(Folder() + "junk.lnk", &back));
}

}  // namespace
}  // namespace vx::test
