// Pictures: the backdrop's repaint of an unchanged 1920 x 1080 picture stretched over a
// full-screen memory device context (goal: under 16 ms, one frame at 60 Hz), and the decode
// of each format, which the first display of a picture pays.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "bench/BenchMachine.h"
#include "library/Karvo.h"
#include "library/picture/Display.h"
#include "library/picture/PictureFile.h"
#include "platform/MemoryDc.h"
#include "tools/picturegen/PictureWriter.h"

namespace {

constexpr std::uint32_t kWidth = 1920;
constexpr std::uint32_t kHeight = 1080;

// One machine with the picture in the three formats, written once for every benchmark.
struct Pictures {
  vx::bench::BenchMachine machine;
  vx::picwriter::Bytes files[3];
  Pictures() {
    const vx::picture::PixelImage image = vx::picwriter::TestPattern(kWidth, kHeight);
    std::vector<std::uint8_t> indices(image.rgb.size() / 3);
    vx::picwriter::Palette palette;
    for (std::uint32_t i = 0; i < 256; ++i) palette.push_back(i * 0x010203u & 0xFFFFFF);
    for (std::size_t i = 0; i < indices.size(); ++i)
      indices[i] = static_cast<std::uint8_t>((image.rgb[i * 3] >> 2) + (image.rgb[i * 3 + 2] >> 3));
    files[0] = vx::picwriter::Bmp24(image);
    files[1] = vx::picwriter::Gif(kWidth, kHeight, palette, indices);
    files[2] = vx::picwriter::Jpeg(image, 85);
    for (int f = 0; f < 3; ++f) {
      machine.WriteFile(Name(f), std::string(files[f].begin(), files[f].end()));
      // Settled: the cache trusts the stamp of a file not written in the last moments.
      std::filesystem::last_write_time(
          *vx::Machine::Current().ToHost(Name(f)),
          std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
  }
  static std::string Name(int format) {
    static const char* const kNames[] = {"C:\\Back.bmp", "C:\\Back.gif", "C:\\Back.jpg"};
    return kNames[format];
  }
};

Pictures& Shared() {
  static Pictures pictures;
  return pictures;
}

void Label(benchmark::State& state, int format) {
  static const char* const kLabels[] = {"bmp", "gif", "jpg"};
  state.SetLabel(kLabels[format]);
}

// The repaint of the backdrop: the picture has been drawn before and has not changed.
void BM_RepaintUnchanged(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  const std::string name = Pictures::Name(format);
  Shared();
  vx::MemoryDc dc(kWidth, kHeight);
  const VxRect screen{0, 0, static_cast<std::int32_t>(kWidth), static_cast<std::int32_t>(kHeight)};
  VxDisplayImage(name.c_str(), &dc, screen, 3, -1);
  for (auto _ : state) {
    VxDisplayImage(name.c_str(), &dc, screen, 3, -1);
    benchmark::DoNotOptimize(dc.Rgb());
  }
  Label(state, format);
}
BENCHMARK(BM_RepaintUnchanged)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Decoding the file's bytes into pixels and building the bitmap that is drawn.
void BM_Decode(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  const vx::picwriter::Bytes& bytes = Shared().files[format];
  const std::string name = Pictures::Name(format);
  for (auto _ : state) {
    vx::picture::PixelImage image;
    vx::picture::Status status;
    vx::picture::Dib dib;
    if (!vx::picture::DecodePicture(vx::picture::FormatOf(name), bytes, name, &image, &status) ||
        !vx::picture::MakeDib(image, &dib)) {
      state.SkipWithError(status.text.c_str());
      break;
    }
    benchmark::DoNotOptimize(dib.bits.data());
  }
  Label(state, format);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_Decode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
