// vxpack's warnings about pictures the engine cannot read, and vximage run as a program.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TestMachine.h"
#include "tools/picturegen/PictureWriter.h"
#include "tools/vxpack/PictureCheck.h"
#include "tools/vxpack/PictureRules.h"

namespace {

namespace fs = std::filesystem;

void WriteHost(const fs::path& p, const vx::picwriter::Bytes& bytes) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST(VxpackPictures, WarnsNamingTheLineOfEachUnreadablePicture) {
  vx::test::TestMachine machine;
  const fs::path dir = fs::path(machine.Dir()) / "src";
  fs::create_directories(dir);
  const auto good = vx::picwriter::Gif(4, 4, {0, 0xFFFFFF}, std::vector<std::uint8_t>(16, 1));
  WriteHost(dir / "Good.gif", good);
  WriteHost(dir / "Broken.bmp", {'B', 'M', 1, 2, 3});
  vx::pack::PackInput input;
  input.scriptName = "P.inf";
  input.sourceText =
      "[<ScreenLayout>]\r\n"                // 1
      "ImgFileName={Temp}\\Broken.bmp\r\n"  // 2: shipped, unreadable
      "[<WelcomeWnd>]\r\n"                  // 3
      "ImgFileName={Temp}\\Good.gif\r\n"    // 4
      "[<UserInfoWnd>]\r\n"                 // 5
      "ImgFileName={Temp}\\Photo.jpeg\r\n"  // 6: an extension the engine does not read
      "[Main]\r\n"                          // 7
      "0=? | If (1 == 1) | 10 | Slide | {Temp}\\broken.BMP\r\n"  // 8
      "1=? | If (1 == 1) | 11 | Not a picture | {Temp}\\Broken.bmp\r\n"
      "ImgFileName=Broken.bmp\r\n"  // 10: not a picture key in this section
      "[<CompletionWnd>]\r\n"
      "ImgFileName={Temp}\\Elsewhere.bmp\r\n";  // 12: not shipped, nothing to judge
  for (const char* name : {"Good.gif", "Broken.bmp"}) {
    vx::pack::PackFile f;
    f.name = name;
    f.hostPath = (dir / name).string();
    input.script.tempFiles.push_back(f);
  }
  char* text = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  int warnings;
  {
    vx::pack::Reporter reporter(out);
    warnings = vx::pack::WarnUnreadablePictures(input, reporter);
  }
  fclose(out);
  const std::string said(text, size);
  std::free(text);
  EXPECT_EQ(warnings, 3) << said;
  EXPECT_NE(said.find("P.inf:2: warning: the engine cannot read the picture {Temp}\\Broken.bmp"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("Read Error!"), std::string::npos);
  EXPECT_NE(said.find("P.inf:6: warning: the engine draws no picture from"), std::string::npos);
  EXPECT_NE(said.find("P.inf:8: warning:"), std::string::npos);
}

TEST(VxpackPictures, CheckNamesPicturesThatWillNotBeThere) {
  const std::string script =
      "[<ScreenLayout>]\r\n"                  // 1
      "ImgFileName={Temp}\\Backdrop.jpg\r\n"  // 2: listed
      "[<WelcomeWnd>]\r\n"                    // 3
      "ImgFileName={temp}\\Nowhere.bmp\r\n"   // 4: not listed
      "[<CompListWnd>]\r\n"                   // 5
      "ImgFileName={Temp}\\Side.bmp\r\n"      // 6: the page adds the temp folder itself
      "[<InstTypeListWnd>]\r\n"               // 7
      "ImgFileName={Windows}\\Setup.bmp\r\n"  // 8: the machine's, not known here
      "[{Temp}]\r\n"                          // 9
      "nItems=2\r\n"                          // 10
      "0=backdrop.JPG | {Temp} | images\r\n"  // 11
      "1=Side.bmp\r\n";                       // 12
  vx::pack::Diagnostics found;
  vx::pack::CheckPictureRules("P.inf", script, found);
  ASSERT_EQ(found.All().size(), 2u);
  EXPECT_EQ(
      FormatDiagnostic(found.All()[0], false),
      "P.inf:4: warning: the picture {temp}\\Nowhere.bmp does not exist when the page is "
      "shown: Nowhere.bmp is not one of the [{Temp}] files, so the page shows an empty frame");
  EXPECT_EQ(FormatDiagnostic(found.All()[1], false),
            "P.inf:6: warning: the component page puts the temp folder before its picture "
            "itself: write ImgFileName=Side.bmp, not ImgFileName={Temp}\\Side.bmp");
  // The plain name the component page wants passes when it is listed, and is named when not.
  vx::pack::Diagnostics plain;
  vx::pack::CheckPictureRules(
      "P.inf", "[<CompListWnd>]\r\nImgFileName=Side.gif\r\n[{Temp}]\r\n0=Side.bmp\r\n", plain);
  ASSERT_EQ(plain.All().size(), 1u);
  EXPECT_EQ(plain.All()[0].line, 2);
  vx::pack::Diagnostics none;
  vx::pack::CheckPictureRules(
      "P.inf", "[<CompListWnd>]\r\nImgFileName=Side.bmp\r\n[{Temp}]\r\n0=Side.bmp\r\n", none);
  EXPECT_TRUE(none.All().empty());
}

struct ToolRun {
  int status;
  std::string out;
};
ToolRun Vximage(const std::string& args) {
  const std::string cmd = vx::test::BinDir() + "/vximage " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  ToolRun r{-1, {}};
  char buf[512];
  while (std::size_t n = fread(buf, 1, sizeof buf, p)) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(Vximage, PrintsTheSizeAndDrawsAPortablePixmap) {
  vx::test::TestMachine machine;
  setenv("VX_MACHINE", machine.Dir().c_str(), 1);
  const fs::path dir = machine.Dir();
  vx::picture::PixelImage image;
  image.width = 3;
  image.height = 2;
  image.rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9, 8, 8, 8, 7, 7, 7};
  WriteHost(dir / "p.bmp", vx::picwriter::Bmp24(image));
  WriteHost(dir / "bad.gif", {'G', 'I', 'F', '8', '9', 'a'});
  ToolRun r = Vximage((dir / "p.bmp").string());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "3x2\n");
  r = Vximage((dir / "bad.gif").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("0x0\n"), std::string::npos);
  EXPECT_NE(r.out.find("failed to GIF read screen descriptor"), std::string::npos) << r.out;

  const fs::path ppm = dir / "o.ppm";
  r = Vximage((dir / "p.bmp").string() + " --size 6x4 --style 0 --out " + ppm.string());
  ASSERT_EQ(r.status, 0) << r.out;
  std::ifstream in(ppm, std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), {});
  const std::string header = "P6\n6 4\n255\n";
  ASSERT_EQ(data.size(), header.size() + 6 * 4 * 3);
  EXPECT_EQ(data.substr(0, header.size()), header);
  const auto px = [&](int x, int y) { return data.substr(header.size() + (y * 6 + x) * 3, 3); };
  EXPECT_EQ(px(0, 0), "\xFF\xFF\xFF");  // style 0 starts one pixel in
  EXPECT_EQ(px(1, 1), std::string("\xFF\0\0", 3));
  EXPECT_EQ(px(3, 2), std::string("\x07\x07\x07", 3));
  EXPECT_EQ(Vximage("--size 6x4").status, 2);
  unsetenv("VX_MACHINE");
}

}  // namespace
