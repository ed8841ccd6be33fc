// picturegen: writes the sample product's pictures (examples/sample/images) in the three
// formats the engine reads:
//   picturegen DIR
// Backdrop.jpg (the backdrop), Bulletin.gif (shown by the bulletin-board action), Side.gif
// and Side.jpg (side pictures of the wizard pages). Exit status 0 done, 1 a file could not
// be written, 2 a usage error.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/picturegen/PictureWriter.h"

namespace {

namespace fs = std::filesystem;
using vx::picture::PixelImage;
using namespace vx::picwriter;

bool Write(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "picturegen: cannot write %s\n", file.c_str());
  return static_cast<bool>(out);
}

// Soft rings around a point on a vertical blue gradient.
PixelImage Rings(std::uint32_t w, std::uint32_t h, double cx, double cy, double period) {
  PixelImage image;
  image.width = w;
  image.height = h;
  image.rgb.resize(static_cast<std::size_t>(w) * h * 3);
  std::uint8_t* p = image.rgb.data();
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x, p += 3) {
      const double d = std::hypot(x - cx * w, y - cy * h);
      const double ring = 0.5 + 0.5 * std::cos(d / period);
      p[0] = static_cast<std::uint8_t>(30 + 90 * ring);
      p[1] = static_cast<std::uint8_t>(60 + 100 * ring * y / h);
      p[2] = static_cast<std::uint8_t>(255 - 160.0 * y / h);
    }
  }
  return image;
}

// Diagonal bands of a 16-colour palette.
Bytes Bands(std::uint32_t w, std::uint32_t h, std::uint32_t base) {
  Palette palette;
  for (std::uint32_t i = 0; i < 16; ++i)
    palette.push_back(((base >> 16 & 0xFF) * i / 15) << 16 | ((base >> 8 & 0xFF) * i / 15) << 8 |
                      (base & 0xFF) * i / 15);
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      indices[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(((x + y) / 12) % 16);
  GifOptions options;
  options.interlaced = true;
  return Gif(w, h, palette, indices, options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picturegen DIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  std::error_code ec;
  fs::create_directories(dir, ec);
  bool ok = Write(dir / "Backdrop.jpg", Jpeg(Rings(640, 480, 0.7, 0.3, 18.0), 85));
  ok &= Write(dir / "Bulletin.gif", Bands(320, 200, 0xFFC040));
  ok &= Write(dir / "Side.gif", Bands(114, 234, 0x40A0FF));
  ok &= Write(dir / "Side.jpg", Jpeg(Rings(114, 234, 0.5, 0.5, 6.0), 90));
  return ok ? 0 : 1;
}
