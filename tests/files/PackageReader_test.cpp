#include "engine/files/PackageReader.h"

#include <gtest/gtest.h>

#include "tests/files/ReaderFixture.h"

namespace vx::test {
namespace {

struct Sample {
  std::int32_t component;
  std::int32_t item;
  std::string content;
  std::uint64_t time;
};

// Files of every interesting size: empty, one byte, exactly one block, a block that does not
// shrink, several blocks, and enough blocks for several parallel batches.
std::vector<Sample> Samples() {
  return {
      {pkg::kTempNameOnly, 0, TextBytes(300, 1), kSampleTime},
      {0, 0, "", kSampleTime + 10'000'000},
      {0, 1, "x", kSampleTime + 20'000'000},
      {0, 3, RandomBytes(2048, 2), kSampleTime + 30'000'000},
      {0, 4, TextBytes(9000, 3), kSampleTime + 40'000'000},
      {1, 0, TextBytes(700'000, 4) + RandomBytes(300'000, 5), kSampleTime + 50'000'000},
      {1, 2, RandomBytes(5000, 6), kSampleTime + 60'000'000},
  };
}

PackageImage ImageOf(const std::vector<Sample>& samples, bool compressed) {
  PackageImage image(compressed);
  for (const Sample& s : samples) image.Add(s.component, s.item, s.content, s.time);
  return image;
}

std::string Dest(std::size_t i) { return "C:\\out\\file" + std::to_string(i) + ".bin"; }

// The disk that holds stream offset `at` when new disks start at `breaks`.
int DiskOf(const std::vector<std::size_t>& breaks, std::size_t at) {
  int disk = 0;
  for (std::size_t b : breaks) disk += b <= at ? 1 : 0;
  return disk;
}

class RoundTrip : public ReaderFixture, public ::testing::WithParamInterface<bool> {
 protected:
  // Start-up open, the first ([{Temp}]) record straight away, then each component from its
  // first record as the component loop positions it.
  void ExtractAll(const std::vector<Sample>& samples, int startOfComponent1 = 0,
                  int startOfComponent0 = 0) {
    ASSERT_TRUE(ExtractRecord(package_, Dest(0), true));
    ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, startOfComponent0));
    for (std::size_t i = 1; i <= 4; ++i) ASSERT_TRUE(ExtractRecord(package_, Dest(i), false)) << i;
    ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, startOfComponent1));
    for (std::size_t i = 5; i < samples.size(); ++i) {
      ASSERT_TRUE(ExtractRecord(package_, Dest(i), false)) << i;
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
      // Times first: reading the content moves the last-access time on.
      FileTime creation, access;
      FileTime write = WriteTime(Dest(i), &creation, &access);
      EXPECT_EQ(write.ticks, samples[i].time) << i;
      EXPECT_EQ(creation.ticks, samples[i].time) << i;
      EXPECT_EQ(access.ticks, samples[i].time) << i;
      EXPECT_EQ(Read(Dest(i)), samples[i].content) << i;
    }
  }
};

TEST_P(RoundTrip, SelfExtractorOneDisk) {
  auto samples = Samples();
  PackageImage image = ImageOf(samples, GetParam());
  ASSERT_EQ(Open(image, image.SelfExtractor({})), StartupOpen::Opened);
  EXPECT_EQ(package_.compressed, GetParam());
  EXPECT_EQ(package_.packageLength, pkg::kDiskHeaderSize + image.Stream().size());
  EXPECT_EQ(package_.firstDiskLeft, image.Stream().size());
  ExtractAll(samples);
  // The last record ends exactly where the package does: the trailer is never read as data.
  EXPECT_EQ(package_.firstDiskLeft, 0u);
  EXPECT_EQ(ui_->Shown().size(), 0u);
}

TEST_P(RoundTrip, SelfExtractorSpannedAtEveryKindOfBreak) {
  auto samples = Samples();
  PackageImage image = ImageOf(samples, GetParam());
  const auto& big = image.Records()[5];
  const auto& small = image.Records()[4];
  std::vector<std::vector<std::size_t>> layouts;
  if (GetParam()) {
    layouts = {
        {big.chunks[3].lengthAt + 4, big.chunks[200].lengthAt + 4 + 100},  // after a length
        {big.chunks[7].lengthAt + 9, big.chunks[300].end - 1},             // inside streams
        {big.chunks[5].end, big.chunks[400].lengthAt + 4 + 1},  // chunk boundary on disk 0
        {small.chunks[1].lengthAt + 4, big.start},              // between records
    };
  } else {
    layouts = {{small.dataStart + 1, big.dataStart + 4096},
               {big.dataStart + 2048, big.dataStart + 2049},
               {small.end, big.end - 1}};
  }
  for (const auto& breaks : layouts) {
    SCOPED_TRACE(::testing::PrintToString(breaks));
    package_.Close();
    package_.currentDisk = 0;
    ASSERT_EQ(Open(image, image.SelfExtractor(breaks)), StartupOpen::Opened);
    ExtractAll(samples, DiskOf(breaks, big.start), DiskOf(breaks, image.Records()[1].start));
    EXPECT_EQ(package_.currentDisk, 2);
  }
  EXPECT_EQ(ui_->Shown().size(), 0u);
}

TEST_P(RoundTrip, StandaloneFirstDiskKeepsRecordsOnLaterDisks) {
  auto samples = Samples();
  PackageImage image = ImageOf(samples, GetParam());
  const auto& big = image.Records()[5];
  // Disk 1 ends inside the big record, disk 2 begins with its continuation, and the last
  // record of component 1 lies wholly on disk 2.
  std::size_t cut = big.dataStart + 12345;
  auto disks = image.Standalone({cut});
  ASSERT_EQ(disks.size(), 3u);
  ASSERT_EQ(disks[0].size(), pkg::kDiskHeaderSize);
  ASSERT_EQ(Open(image, disks, false, "C:\\cd\\Prod.0"), StartupOpen::Opened);
  EXPECT_EQ(package_.firstDiskLeft, 0u);
  ExtractAll(samples, 1, 1);
  EXPECT_EQ(package_.currentDisk, 2);

  // A component that starts on disk 2 behind the continuation of a spanning record.
  PackageImage two(GetParam());
  two.Add(0, 0, RandomBytes(10'000, 7));
  two.Add(1, 0, "second component", kSampleTime);
  auto twoDisks = two.Standalone({two.Records()[0].dataStart + 5000});
  ASSERT_EQ(Open(two, twoDisks, false, "C:\\cd2\\Prod.0"), StartupOpen::Opened);
  ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, 2));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\second.txt", false));
  EXPECT_EQ(Read("C:\\out\\second.txt"), "second component");
}

TEST_P(RoundTrip, SkippedRecordsLeaveTheNextOneInPlace) {
  auto samples = Samples();
  PackageImage image = ImageOf(samples, GetParam());
  const auto& big = image.Records()[5];
  ASSERT_EQ(Open(image, image.SelfExtractor({big.dataStart + 7, big.dataStart + 300'000})),
            StartupOpen::Opened);
  ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, 0));
  // The big record spans disks 0, 1 and 2; skipping it lands on the last record.
  ASSERT_TRUE(SkipRecord(package_));
  EXPECT_EQ(package_.currentDisk, 2);
  ASSERT_TRUE(ExtractRecord(package_, Dest(6), false));
  EXPECT_EQ(Read(Dest(6)), samples[6].content);

  // Skipping on disk 0 itself keeps bytes left in step.
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  EXPECT_EQ(package_.currentDisk, 0);
  ASSERT_TRUE(SkipRecord(package_));
  ASSERT_TRUE(SkipRecord(package_));
  ASSERT_TRUE(ExtractRecord(package_, Dest(3), false));
  EXPECT_EQ(Read(Dest(3)), samples[3].content);
}

INSTANTIATE_TEST_SUITE_P(RawAndCompressed, RoundTrip, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Compressed" : "Raw"; });

using Spanning = ReaderFixture;

TEST_F(Spanning, CompressedDataMayNotBreakBetweenChunksAfterDiskZero) {
  PackageImage image(true);
  image.Add(0, 0, TextBytes(20'000, 8));
  const auto& r = image.Records()[0];
  auto disks = image.SelfExtractor({r.chunks[1].lengthAt, r.chunks[4].end});
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\a.txt", false));
  // Nothing of the failed record stays behind.
  EXPECT_TRUE(FilesIn("C:\\out").empty());
}

TEST_F(Spanning, ChunkSpreadOverThreeDisks) {
  PackageImage image(true);
  std::string content = RandomBytes(6000, 9);
  image.Add(0, 0, content);
  const auto& r = image.Records()[0];
  // The second chunk's stream starts on disk 0, runs through all of disk 1 into disk 2.
  std::size_t from = r.chunks[1].lengthAt + 4 + 10;
  auto disks = image.SelfExtractor({from, from + 50});
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\a.bin", false));
  EXPECT_EQ(Read("C:\\out\\a.bin"), content);
}

TEST_F(Spanning, RawDataMayNotRunPastTheLastDisk) {
  PackageImage image(false);
  std::string content = RandomBytes(5000, 10);
  image.Add(0, 0, content);
  std::size_t at = image.Records()[0].dataStart;
  auto disks = image.SelfExtractor({at + 100, at + 200});
  // The script claims two disks; the data runs off the end of disk 1 into a third one.
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  package_.totalDisks = 2;
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\a.bin", false));
  EXPECT_TRUE(FilesIn("C:\\out").empty());

  package_.totalDisks = 3;
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\a.bin", true));
  EXPECT_EQ(Read("C:\\out\\a.bin"), content);
}

TEST_F(Spanning, LaterDiskMustCarryItsOwnNumberAndVersion) {
  PackageImage image(true);
  image.Add(0, 0, TextBytes(10'000, 11));
  std::size_t cut = image.Records()[0].chunks[2].lengthAt + 6;
  for (const auto& damage : {std::string("wrong number"), std::string("wrong version")}) {
    SCOPED_TRACE(damage);
    auto disks = image.SelfExtractor({cut});
    std::string rest = disks[1].substr(pkg::kDiskHeaderSize);
    disks[1] = damage == "wrong number" ? image.DiskHeader(5, 0) + rest
                                        : image.DiskHeader(1, 0, "5.1") + rest;
    package_.Close();
    package_.currentDisk = 0;
    ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
    ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
    EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\a.txt", false));
  }
}

using DiskPrompt = ReaderFixture;

TEST_F(DiskPrompt, MovedDiskIsFoundInTheFolderTheUserNames) {
  PackageImage image(true);
  std::string content = TextBytes(30'000, 12);
  image.Add(0, 0, content);
  auto disks = image.SelfExtractor({image.Records()[0].chunks[5].lengthAt + 40});
  ASSERT_EQ(Open(image, disks, true, "C:\\pkg\\setup.exe"), StartupOpen::Opened);
  // Disk 1 is not beside the program any more.
  std::filesystem::create_directories(m_.Host("C:\\") + "/Elsewhere");
  std::filesystem::rename(m_.Host("C:\\pkg\\setup.1"), m_.Host("C:\\") + "/Elsewhere/setup.1");
  ui_->AddAnswer("text:C:\\Wrong");
  ui_->AddAnswer("text:C:\\Elsewhere");
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\a.txt", false));
  EXPECT_EQ(Read("C:\\out\\a.txt"), content);
  auto shown = ui_->Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0],
            "Insert Diskette | Please specify the full path where file \"setup.1\" exists. | "
            "text:C:\\Wrong");
  EXPECT_EQ(ui_->Beeps(), 2);
  // The disk-0 path is never changed by an answer.
  EXPECT_EQ(package_.path, "C:\\pkg\\setup.exe");
}

TEST_F(DiskPrompt, DiskAtADriveRootNamesTheDiskNumberAndDrive) {
  PackageImage image(false);
  image.Add(0, 0, "on disk zero");
  image.Add(0, 1, "on disk one");
  auto disks = image.SelfExtractor({image.Records()[1].start});
  ASSERT_EQ(Open(image, disks, true, "C:\\setup.exe"), StartupOpen::Opened);
  std::filesystem::create_directories(m_.Host("C:\\") + "/pkg");
  std::filesystem::rename(m_.Host("C:\\setup.1"), m_.Host("C:\\") + "/pkg/setup.1");
  ui_->AddAnswer("text:C:\\pkg");
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\zero.txt", false));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\one.txt", false));
  EXPECT_EQ(Read("C:\\out\\one.txt"), "on disk one");
  // Disk N is shown to the user as disk N + 1.
  ASSERT_EQ(ui_->Shown().size(), 1u);
  EXPECT_EQ(ui_->Shown()[0],
            "Insert Diskette | Please insert disk 2 containing file \"setup.1\" into drive C:\\. "
            "Or specify the full path where this file exists. | text:C:\\pkg");
}

TEST_F(DiskPrompt, CancelFailsTheRecordAndHeadlessOkDoesNotLoop) {
  PackageImage image(true);
  image.Add(0, 0, TextBytes(9000, 13));
  auto disks = image.SelfExtractor({image.Records()[0].chunks[2].lengthAt + 4});
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  std::filesystem::remove(m_.Host("C:\\pkg\\setup.1"));
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ui_->AddAnswer("cancel");
  // Cancelled in the middle of the record: the earlier file stays whole.
  m_.WriteFile("C:\\out\\a.txt", "earlier");
  EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\a.txt", true));
  EXPECT_EQ(Read("C:\\out\\a.txt"), "earlier");
  EXPECT_EQ(FilesIn("C:\\out"), std::vector<std::string>{"a.txt"});

  // "ok" keeps the same folder: nobody can insert a disk without a display, so it ends.
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ui_->AddAnswer("ok");
  EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\b.txt", false));
  EXPECT_EQ(ui_->Shown().size(), 2u);
}

TEST_F(DiskPrompt, HostPathAnswerIsAccepted) {
  PackageImage image(false);
  image.Add(0, 0, "first");
  image.Add(1, 0, "second");
  auto disks = image.SelfExtractor({image.Records()[1].start});
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  std::string hostFolder = m_.Dir() + "/media";
  std::filesystem::create_directories(hostFolder);
  std::filesystem::rename(m_.Host("C:\\pkg\\setup.1"), hostFolder + "/setup.1");
  ui_->AddAnswer("text:" + hostFolder);
  ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, 1));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\second.txt", false));
  EXPECT_EQ(Read("C:\\out\\second.txt"), "second");
}

using Positioning = ReaderFixture;

TEST_F(Positioning, FirstRecordMustLieOnTheStartDisk) {
  PackageImage image(true);
  image.Add(0, 0, TextBytes(5000, 14));
  image.Add(1, 0, TextBytes(5000, 15));
  auto disks = image.SelfExtractor({image.Records()[1].start});
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  // Component 1 is on disk 1, not on disk 0.
  EXPECT_FALSE(SeekComponentRecord(package_, 1, 0, 0));
  EXPECT_FALSE(package_.IsOpen());
  // The same disk again: no reopen, so reads fail on the closed handle.
  EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\x", false));
  // Another start disk opens it again.
  ASSERT_TRUE(SeekComponentRecord(package_, 1, 0, 1));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\x", false));
  EXPECT_EQ(Read("C:\\out\\x"), TextBytes(5000, 15));
  // Item indexes are matched too, and a missing one fails at the end of the disk.
  EXPECT_FALSE(SeekComponentRecord(package_, 0, 1, 0));
  EXPECT_FALSE(SeekComponentRecord(package_, 0, 0, -1));
}

TEST_F(Positioning, HostileStoredLengthsEndTheSearch) {
  PackageImage image(true);
  image.AddStored(0, 0, "abc", kSampleTime, {}, 0xFFFFFFFFll);
  image.Add(1, 0, "target");
  ASSERT_EQ(Open(image, image.SelfExtractor({})), StartupOpen::Opened);
  EXPECT_FALSE(SeekComponentRecord(package_, 1, 0, 0));

  // The same on a later disk, where the file end bounds the jump.
  ASSERT_EQ(Open(image, image.SelfExtractor({0}), true, "C:\\p2\\setup.exe"), StartupOpen::Opened);
  EXPECT_FALSE(SeekComponentRecord(package_, 1, 0, 1));
  // A continuation length past the end of the disk.
  PackageImage cont(true);
  cont.Add(0, 0, "x");
  auto disks = cont.SelfExtractor({0});
  disks[1] = cont.DiskHeader(1, 1'000'000) + disks[1].substr(pkg::kDiskHeaderSize);
  ASSERT_EQ(Open(cont, disks, true, "C:\\p3\\setup.exe"), StartupOpen::Opened);
  EXPECT_FALSE(SeekComponentRecord(package_, 0, 0, 1));
}

}  // namespace
}  // namespace vx::test
