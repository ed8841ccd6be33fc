// vximage: shows a vendor a picture as the engine will show it.
//   vximage FILE                 prints WIDTHxHEIGHT as the engine reads the picture
//   vximage FILE --size WxH [--style N] [--effect E] --out OUT.ppm
//                                draws it with the engine's display service into a white
//                                canvas of W x H pixels and writes that as a binary PPM (P6)
// FILE is a host path or a Windows path of the current machine. Exit status 0 done, 1 the
// picture cannot be read (0x0 is printed, the decoder's reason goes to standard error) or the
// output cannot be written, 2 a usage error.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "library/Karvo.h"
#include "library/picture/PictureFile.h"
#include "platform/Machine.h"
#include "platform/MemoryDc.h"

namespace {

const char kUsage[] =
    "usage: vximage FILE\n"
    "       vximage FILE --size WxH [--style N] [--effect E] --out OUT.ppm\n"
    "Styles: 0 top-left, 1 centred, 2 tiled, 3 stretched (default); effect 5 grows from the\n"
    "centre, any other draws at once (default -1).\n";

int Usage(const std::string& error) {
  std::fprintf(stderr, "vximage: %s\n%s", error.c_str(), kUsage);
  return 2;
}

bool ParseInt(const std::string& text, long min, long max, long* value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != 0 || v < min || v > max) return false;
  *value = v;
  return true;
}

bool ParseSize(const std::string& text, long* w, long* h) {
  const std::size_t x = text.find_first_of("xX");
  const long max = vx::picture::kMaxSide;
  return x != std::string::npos && ParseInt(text.substr(0, x), 1, max, w) &&
         ParseInt(text.substr(x + 1), 1, max, h);
}

// The decoder's own words for a picture the engine cannot read. The JPEG decoder's messages
// have already gone to standard error as the library's message boxes.
void ExplainFailure(const std::string& file) {
  vx::picture::PixelImage image;
  vx::picture::Status status;
  if (vx::picture::LoadPicture(file, &image, &status)) return;  // read now, after all
  if (!status.tellUser) std::fprintf(stderr, "vximage: %s\n", status.text.c_str());
}

bool WritePpm(const std::string& path, const vx::MemoryDc& dc) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "P6\n" << dc.Width() << ' ' << dc.Height() << "\n255\n";
  out.write(reinterpret_cast<const char*>(dc.Rgb()),
            static_cast<std::streamsize>(dc.Width()) * dc.Height() * 3);
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string file, out;
  long width = 0, height = 0, style = 3, effect = -1;
  bool sized = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--size" || a == "--style" || a == "--effect" || a == "--out") {
      if (!hasValue) return Usage(a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--size") {
        if (!ParseSize(v, &width, &height)) return Usage("bad size: " + v);
        sized = true;
      } else if (a == "--style") {
        if (!ParseInt(v, 0, 0xFFFFFFFFl, &style)) return Usage("bad style: " + v);
      } else if (a == "--effect") {
        if (!ParseInt(v, -2147483647l - 1, 2147483647l, &effect)) return Usage("bad effect: " + v);
      } else {
        out = v;
      }
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return Usage("unknown option " + a);
    } else if (file.empty()) {
      file = a;
    } else {
      return Usage("one picture at a time");
    }
  }
  if (file.empty()) return Usage("no picture named");
  if (sized != !out.empty()) return Usage("--size and --out go together");

  const std::string win = vx::Machine::Current().FromOutside(file);
  VxSize size{0, 0};
  RetrieveImageDimension(win.c_str(), &size);
  if (!sized) {
    std::printf("%dx%d\n", size.cx, size.cy);
    if (size.cx == 0) ExplainFailure(win);
    return size.cx == 0 ? 1 : 0;
  }
  if (size.cx == 0) {
    ExplainFailure(win);
    return 1;
  }
  vx::MemoryDc dc(static_cast<int>(width), static_cast<int>(height), 0xFFFFFF);
  VxDisplayImage(win.c_str(), &dc,
                 {0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)},
                 static_cast<unsigned>(style), static_cast<int>(effect));
  if (!WritePpm(out, dc)) {
    std::fprintf(stderr, "vximage: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
