// Packages made by the package writer, read back by the reader: every disk size and layout
// the writer produces must extract to the original files.
#include <gtest/gtest.h>

#include "engine/files/PackageWriter.h"
#include "tests/files/ReaderFixture.h"

namespace vx::test {
namespace {

struct Layout {
  bool compress;
  std::uint64_t diskSize;
  bool standalone;
};

std::string LayoutName(const Layout& l) {
  return std::string(l.compress ? "Zlib" : "Raw") + "Disk" + std::to_string(l.diskSize) +
         (l.standalone ? "Folder" : "Exe");
}
// Printed by name: the raw bytes would show the padding, which differs from run to run.
void PrintTo(const Layout& l, std::ostream* os) { *os << LayoutName(l); }

class WrittenPackage : public ReaderFixture, public ::testing::WithParamInterface<Layout> {};

TEST_P(WrittenPackage, ExtractsEveryFile) {
  const Layout layout = GetParam();
  struct Source {
    std::int32_t component, item;
    std::string content;
  };
  std::vector<Source> sources = {
      {pkg::kTempFileLine, 0, TextBytes(5000, 30)},
      {0, 0, RandomBytes(20'000, 31)},
      {0, 1, ""},
      {0, 2, TextBytes(100'000, 32)},
      {1, 0, RandomBytes(4096, 33)},
      {1, 1, TextBytes(2047, 34) + RandomBytes(30'000, 35)},
  };
  std::vector<pkg::PackageItem> items;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    std::string path = "C:\\src\\f" + std::to_string(i);
    m_.WriteFile(path, sources[i].content);
    items.push_back({sources[i].component, sources[i].item, path});
  }
  pkg::WriterOptions options;
  options.compress = layout.compress;
  options.diskSize = layout.diskSize;
  options.headerOnlyFirstDisk = layout.standalone;
  options.jobs = 2;
  const std::string stub = "MZ-stub-of-some-length";
  if (!layout.standalone && layout.diskSize != 0) {
    options.firstDiskBudget = layout.diskSize - stub.size() - pkg::kTrailerSize;
  }
  pkg::MemorySink sink;
  pkg::WriterResult written = pkg::WritePackage(items, options, sink);
  ASSERT_TRUE(written.ok) << written.error;

  std::vector<std::string> disks;
  for (auto& d : sink.disks) disks.emplace_back(d.begin(), d.end());
  std::string path = layout.standalone ? "C:\\cd\\Prod.0" : "C:\\dl\\Prod.exe";
  if (!layout.standalone) {
    std::string trailer(pkg::kTrailerSize, '\0');
    pkg::EncodeTrailer(
        {static_cast<std::uint32_t>(stub.size()), 7, static_cast<std::uint32_t>(disks[0].size())},
        reinterpret_cast<std::uint8_t*>(trailer.data()));
    disks[0] = stub + disks[0] + trailer;
  }
  if (layout.diskSize != 0) {
    for (const std::string& d : disks) EXPECT_LE(d.size(), layout.diskSize);
  }
  WriteDisks(m_, path, disks);
  package_.totalDisks = written.diskCount;
  ASSERT_EQ(OpenPackageAtStartup(package_, path, !layout.standalone), StartupOpen::Opened);
  EXPECT_EQ(package_.compressed, layout.compress);

  ASSERT_TRUE(ExtractRecord(package_, "C:\\Temp\\f0", true));
  for (std::size_t i = 1; i < sources.size(); ++i) {
    if (sources[i].item == 0) {
      int startDisk = written.startDisk.at(sources[i].component);
      ASSERT_TRUE(SeekComponentRecord(package_, sources[i].component, 0, startDisk)) << i;
    }
    ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\f" + std::to_string(i), false)) << i;
  }
  EXPECT_EQ(Read("C:\\Temp\\f0"), sources[0].content);
  for (std::size_t i = 1; i < sources.size(); ++i) {
    EXPECT_EQ(Read("C:\\out\\f" + std::to_string(i)), sources[i].content) << i;
  }
  EXPECT_EQ(package_.currentDisk, written.diskCount - 1);
  EXPECT_TRUE(ui_->Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Layouts, WrittenPackage,
                         ::testing::Values(Layout{true, 0, false}, Layout{false, 0, false},
                                           Layout{true, 8192, false}, Layout{true, 10'007, false},
                                           Layout{false, 8192, false}, Layout{true, 65'536, false},
                                           Layout{true, 9000, true}, Layout{false, 12'345, true},
                                           Layout{true, 0, true}),
                         [](const ::testing::TestParamInfo<Layout>& info) {
                           return LayoutName(info.param);
                         });

}  // namespace
}  // namespace vx::test
