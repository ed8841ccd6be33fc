// Damaged and hostile packages: every failure is clean, the destination holds exactly the
// chunks before the damage, and nothing is written anywhere else.
#include <gtest/gtest.h>

#include "engine/files/PackageReader.h"
#include "tests/files/ReaderFixture.h"

namespace vx::test {
namespace {

using StartupCheck = ReaderFixture;

TEST_F(StartupCheck, VersionMustBeExactly50) {
  for (const char* version : {"5.0", "5.00", "5", "4.0"}) {
    SCOPED_TRACE(version);
    PackageImage image(true);
    image.Add(0, 0, "x");
    auto disks = image.SelfExtractor({});
    disks[0].replace(std::string("MZ-program-image").size(), pkg::kDiskHeaderSize,
                     image.DiskHeader(0, 0, version));
    StartupOpen result = Open(image, disks);
    if (std::string(version) == "5.0") {
      EXPECT_EQ(result, StartupOpen::Opened);
    } else {
      EXPECT_EQ(result, StartupOpen::WrongVersion);
      EXPECT_FALSE(package_.IsOpen());
      ASSERT_FALSE(ui_->Shown().empty());
      EXPECT_NE(ui_->Shown().back().find("| Version incompatable! |"), std::string::npos);
    }
  }
}

TEST_F(StartupCheck, ShortOrImpossibleTrailerFailsSilently) {
  PackageImage image(false);
  image.Add(0, 0, "data");
  std::string good = image.SelfExtractor({})[0];
  std::string tooLong = good;  // L larger than the file
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(&tooLong[tooLong.size() - 4]), 1'000'000);
  std::string headerCut = good;  // L shorter than a disk header
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(&headerCut[headerCut.size() - 4]), 20);
  for (const std::string& bytes : {std::string("tiny"), std::string(), tooLong, headerCut}) {
    EXPECT_EQ(Open(image, {bytes}), StartupOpen::Failed);
    EXPECT_FALSE(package_.IsOpen());
  }
  // A stand-alone first disk shorter than its header, and a missing one.
  EXPECT_EQ(Open(image, {image.DiskHeader(0, 0).substr(0, 35)}, false), StartupOpen::Failed);
  EXPECT_EQ(OpenPackageAtStartup(package_, "C:\\nowhere\\setup.0", false), StartupOpen::Failed);
  EXPECT_TRUE(ui_->Shown().empty());
}

TEST_F(StartupCheck, MaintenanceOpenTakesTheCompressionFlagWhenItCan) {
  PackageImage image(true);
  image.Add(0, 0, "x");
  m_.WriteFile("C:\\src\\Prod.exe", image.SelfExtractor({})[0]);
  package_.compressed = false;
  ASSERT_TRUE(OpenInstalledPackage(package_, "C:\\src\\Prod.exe"));
  EXPECT_TRUE(package_.packageMode);
  EXPECT_TRUE(package_.compressed);
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\x", false));
  EXPECT_EQ(Read("C:\\out\\x"), "x");
  EXPECT_FALSE(OpenInstalledPackage(package_, "C:\\src\\Missing.exe"));
  EXPECT_FALSE(package_.packageMode);
}

class DamagedRecord : public ReaderFixture {
 protected:
  // Extracts the first record of component 0 into C:\out\a.bin.
  bool ExtractOnly(PackageImage& image) {
    package_.Close();
    package_.currentDisk = 0;
    if (Open(image, image.SelfExtractor({})) != StartupOpen::Opened) return false;
    return SeekComponentRecord(package_, 0, 0, 0) &&
           ExtractRecord(package_, "C:\\out\\a.bin", true);
  }
};

TEST_F(DamagedRecord, HostileChunkLengthsFailWithoutReadingOn) {
  std::string good = ZlibStream(TextBytes(2048, 20));
  std::string stored;
  struct Case {
    const char* name;
    std::string stored;
  } cases[] = {
      {"huge length", Le32(good.size()) + good + Le32(0xFFFFFFF0u) + "abc"},
      {"longer than the record", Le32(good.size()) + good + Le32(100) + std::string(50, 'z')},
      {"length field cut by the record end", Le32(good.size()) + good + std::string("\x05\x00", 2)},
      {"over the largest chunk", Le32(good.size()) + good + Le32(kMaxChunkStream + 1) +
                                     std::string(kMaxChunkStream + 1, 'q')},
      {"empty stream", Le32(good.size()) + good + Le32(0)},
      {"garbage stream", Le32(good.size()) + good + Le32(6) + "garbag"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageImage image(true);
    image.AddStored(0, 0, c.stored);
    image.Add(1, 0, "next");
    EXPECT_FALSE(ExtractOnly(image));
    // A failed record leaves nothing: no destination, no partial file.
    EXPECT_TRUE(FilesIn("C:\\out").empty());
  }
}

TEST_F(DamagedRecord, ChunkInflatingPast4096BytesIsRefused) {
  PackageImage image(true);
  std::string block4096 = TextBytes(4096, 21);
  std::string z4096 = ZlibStream(block4096);
  std::string z4097 = ZlibStream(TextBytes(4097, 22));
  image.AddStored(0, 0, Le32(z4096.size()) + z4096 + Le32(z4097.size()) + z4097);
  EXPECT_FALSE(ExtractOnly(image));
  EXPECT_TRUE(FilesIn("C:\\out").empty());
}

TEST_F(DamagedRecord, ChunksOfAnyGoodSizeKeepTheirOrder) {
  // Chunks need not be the writer's 2048 bytes: larger ones (up to 4096), short ones in the
  // middle and empty ones, on one thread and in parallel batches.
  std::string expected, stored;
  const std::size_t sizes[] = {2048, 4096, 1000, 0, 2048, 3000, 2048, 2048, 17, 4096};
  for (int round = 0; round < 40; ++round) {
    for (std::size_t size : sizes) {
      const std::string block = TextBytes(size, 30 + static_cast<unsigned>(expected.size() % 97));
      const std::string z = ZlibStream(block);
      stored += Le32(static_cast<std::uint32_t>(z.size())) + z;
      expected += block;
    }
    if (round == 0 || round == 39) {
      PackageImage image(true);
      image.AddStored(0, 0, stored);
      ASSERT_TRUE(ExtractOnly(image)) << round;
      EXPECT_EQ(Read("C:\\out\\a.bin"), expected) << round;
      ASSERT_TRUE(DeleteFile("C:\\out\\a.bin"));
    }
  }
}

TEST_F(DamagedRecord, ChunkWithBytesBehindItsStreamFailsTheRecord) {
  // A second stream, or garbage, after the first one's end: the bytes would be lost.
  std::string first = ZlibStream(TextBytes(1000, 26));
  for (const std::string& behind : {ZlibStream(TextBytes(1000, 27)), std::string("junk")}) {
    PackageImage image(true);
    std::string chunk = first + behind;
    image.AddStored(0, 0, Le32(chunk.size()) + chunk);
    EXPECT_FALSE(ExtractOnly(image));
    EXPECT_TRUE(FilesIn("C:\\out").empty());
  }
}

TEST_F(DamagedRecord, BadChunkDeepInALongRecordLeavesTheEarlierFileAsItWas) {
  // Long enough for several parallel batches; the damage sits in a later batch.
  std::string content = TextBytes(1'500'000, 23);
  for (std::size_t bad : {std::size_t(0), std::size_t(255), std::size_t(256), std::size_t(600)}) {
    SCOPED_TRACE(bad);
    PackageImage image(true);
    image.Add(0, 0, content);
    const auto& chunk = image.Records()[0].chunks[bad];
    std::string stream = image.Stream();
    stream[chunk.end - 2] ^= 0x55;  // breaks the stream's checksum
    PackageImage damaged(true);
    damaged.AddStored(0, 0, stream.substr(image.Records()[0].dataStart));
    m_.WriteFile("C:\\out\\a.bin", "the earlier, good file");
    EXPECT_FALSE(ExtractOnly(damaged));
    EXPECT_EQ(Read("C:\\out\\a.bin"), "the earlier, good file");
    EXPECT_EQ(FilesIn("C:\\out"), std::vector<std::string>{"a.bin"});
  }
}

TEST_F(DamagedRecord, TruncatedPackagesFailCleanlyAtEveryLength) {
  PackageImage image(true);
  std::string first = TextBytes(3000, 24);
  std::string second = RandomBytes(2500, 25);
  image.Add(0, 0, first);
  image.Add(0, 1, second);
  const std::string& stream = image.Stream();
  auto before = FilesOnC();
  for (std::size_t cut = 0; cut < stream.size(); ++cut) {
    PackageImage truncated(true);
    std::string disk0 = image.SelfExtractor({})[0];
    // The package part ends after `cut` stream bytes; the trailer tells the shorter length.
    std::string stub = "MZ-program-image";
    std::string package = disk0.substr(stub.size(), pkg::kDiskHeaderSize + cut);
    std::string trailer(pkg::kTrailerSize, '\0');
    pkg::EncodeTrailer(
        {static_cast<std::uint32_t>(stub.size()), 7, static_cast<std::uint32_t>(package.size())},
        reinterpret_cast<std::uint8_t*>(trailer.data()));
    package_.Close();
    // Fresh files each time: rewriting in place makes the file system flush on every close.
    for (const char* f : {"C:\\pkg\\setup.exe", "C:\\out\\a.bin", "C:\\out\\b.bin"}) {
      std::filesystem::remove(m_.Host(f));
    }
    m_.WriteFile("C:\\pkg\\setup.exe", stub + package + trailer);
    ASSERT_EQ(OpenPackageAtStartup(package_, "C:\\pkg\\setup.exe", true), StartupOpen::Opened);
    bool sought = SeekComponentRecord(package_, 0, 0, 0);
    EXPECT_EQ(sought, cut >= pkg::kRecordHeaderSize) << cut;
    if (!sought) continue;
    bool a = ExtractRecord(package_, "C:\\out\\a.bin", true);
    EXPECT_EQ(a, cut >= image.Records()[0].end) << cut;
    if (a) {
      EXPECT_EQ(Read("C:\\out\\a.bin"), first);
      EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\b.bin", true)) << cut;
    }
  }
  // Only the first destination ever appeared (and the package itself): failed records
  // leave neither their destination nor a partial file.
  auto after = FilesOnC();
  std::vector<std::string> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                      std::back_inserter(added));
  EXPECT_EQ(added, (std::vector<std::string>{"out/a.bin", "pkg/setup.exe"}));
  // Each attempt past disk 0 asked for disk 1, which nobody supplied.
  for (const std::string& line : ui_->Shown()) {
    EXPECT_EQ(line.rfind("Insert Diskette | ", 0), 0u) << line;
  }
}

TEST_F(DamagedRecord, RecordHeaderCutByTheEndOfDiskZeroFails) {
  PackageImage image(false);
  image.Add(0, 0, "abc");
  image.Add(0, 1, "def");
  auto disks = image.SelfExtractor({image.Records()[1].start + 7});
  ASSERT_EQ(Open(image, disks), StartupOpen::Opened);
  ASSERT_TRUE(SeekComponentRecord(package_, 0, 0, 0));
  ASSERT_TRUE(ExtractRecord(package_, "C:\\out\\a", true));
  EXPECT_FALSE(ExtractRecord(package_, "C:\\out\\b", true));
  EXPECT_FALSE(Exists("C:\\out\\b"));
}

}  // namespace
}  // namespace vx::test
