// Writes the seed pictures of the picture fuzz targets into DIR/bmp, DIR/gif and DIR/jpg:
// each format's variants (bit depths, interlacing, tables, grey and colour) in small sizes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/picturegen/PictureWriter.h"

namespace {

namespace fs = std::filesystem;
using namespace vx::picwriter;

bool Write(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::uint8_t> Indices(std::uint32_t w, std::uint32_t h, unsigned colors) {
  std::vector<std::uint8_t> v(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<std::uint8_t>((i * 7 + i / w) % colors);
  return v;
}

Palette Colors(unsigned n) {
  Palette p;
  for (unsigned i = 0; i < n; ++i) p.push_back((i * 0x3F1D27u) & 0xFFFFFF);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: picture_fuzz_seeds DIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  for (const char* sub : {"bmp", "gif", "jpg"}) fs::create_directories(dir / sub);
  bool ok = true;
  const auto small = TestPattern(13, 7);
  ok &= Write(dir / "bmp/24.bmp", Bmp24(small));
  ok &= Write(dir / "bmp/24-top-down.bmp", Bmp24(small, true));
  ok &= Write(dir / "bmp/1-width9.bmp", BmpIndexed(9, 3, 1, Colors(2), Indices(9, 3, 2)));
  ok &= Write(dir / "bmp/4.bmp", BmpIndexed(11, 5, 4, Colors(16), Indices(11, 5, 16)));
  ok &= Write(dir / "bmp/8.bmp", BmpIndexed(6, 6, 8, Colors(200), Indices(6, 6, 200)));

  ok &= Write(dir / "gif/plain.gif", Gif(10, 9, Colors(4), Indices(10, 9, 4)));
  GifOptions interlaced;
  interlaced.interlaced = true;
  interlaced.extensions = true;
  ok &= Write(dir / "gif/interlaced.gif", Gif(17, 11, Colors(16), Indices(17, 11, 16), interlaced));
  GifOptions local;
  local.local = true;
  local.localPalette = Colors(256);
  ok &= Write(dir / "gif/local.gif", Gif(32, 20, Colors(2), Indices(32, 20, 256), local));
  std::vector<std::uint8_t> flat(64 * 64, 3);  // long runs: the table fills and is cleared
  ok &= Write(dir / "gif/runs.gif", Gif(64, 64, Colors(8), flat));

  ok &= Write(dir / "jpg/colour.jpg", Jpeg(TestPattern(24, 16), 80));
  ok &= Write(dir / "jpg/grey.jpg", Jpeg(TestPattern(16, 16), 60, true));
  ok &= Write(dir / "jpg/odd.jpg", Jpeg(TestPattern(9, 5, 2), 95));
  if (!ok) {
    std::fprintf(stderr, "cannot write the seeds into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
