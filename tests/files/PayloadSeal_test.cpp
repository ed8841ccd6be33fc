#include "engine/files/PayloadSeal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/files/InstallerSeal.h"
#include "engine/files/PackageReader.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "tests/extract/PayloadBuilder.h"
#include "tests/support/TestMachine.h"

namespace vx::pkg {
namespace {

std::string Hex(const std::string& text) { return HexOf(Sha256Of(text.data(), text.size())); }

// Both block engines, where this processor has the SHA instructions; the portable one always.
TEST(Sha256, StandardVectorsWholeAndInPiecesOnEveryEngine) {
  for (Sha256Engine engine : {Sha256Engine::Portable, Sha256Engine::Processor}) {
    if (!UseSha256Engine(engine)) continue;
    SCOPED_TRACE(engine == Sha256Engine::Portable ? "portable" : "processor");
    EXPECT_EQ(Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 448 bits: the padding needs a block of its own.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Hex(two), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    const std::string four =
        "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
        "n"
        "opqrsmnopqrstnopqrstu";
    EXPECT_EQ(Hex(four), "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    const std::string million(1000000, 'a');
    EXPECT_EQ(Hex(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    // Fed in uneven pieces across block edges, the digest is the same.
    for (std::size_t piece : {1u, 63u, 64u, 65u, 4097u}) {
      Sha256 sha;
      for (std::size_t i = 0; i < million.size(); i += piece)
        sha.Update(million.data() + i, std::min(piece, million.size() - i));
      EXPECT_EQ(HexOf(sha.Finish()), Hex(million)) << piece;
    }
  }
  UseSha256Engine(Sha256Engine::Processor);
}

TEST(PayloadSealFormat, RoundTripsAndRefusesAnyChangedByte) {
  PayloadSeal seal;
  seal.trailer = {4096, 8, 12345};
  seal.coveredLength = 99999;
  seal.covered = Sha256Of("x", 1);
  seal.disks = {{1000, Sha256Of("d1", 2)}, {2000, Sha256Of("d2", 2)}};
  const std::string bytes = EncodeSeal(seal, 5);
  ASSERT_EQ(bytes.size(), SealSize(2, 5));
  PayloadSeal back;
  ASSERT_TRUE(DecodeSeal(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &back));
  EXPECT_EQ(back.trailer.lastLength, 12345u);
  EXPECT_EQ(back.coveredLength, 99999u);
  EXPECT_EQ(back.covered, seal.covered);
  ASSERT_EQ(back.disks.size(), 2u);
  EXPECT_EQ(back.disks[1].length, 2000u);
  EXPECT_EQ(back.disks[1].digest, seal.disks[1].digest);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string changed = bytes;
    changed[i] = char(changed[i] ^ 0x10);
    EXPECT_FALSE(
        DecodeSeal(reinterpret_cast<const std::uint8_t*>(changed.data()), changed.size(), &back))
        << i;
  }
  // Cut short, or padded beyond what alignment needs.
  EXPECT_FALSE(
      DecodeSeal(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size() - 6, &back));
  const std::string longer = bytes + std::string(3, '\0');
  EXPECT_FALSE(
      DecodeSeal(reinterpret_cast<const std::uint8_t*>(longer.data()), longer.size(), &back));
}

class PayloadEndTest : public ::testing::Test {
 protected:
  std::int64_t EndOf(const std::string& bytes) {
    machine_.WriteFile("C:\\p.exe", bytes);
    FileHandle h = CreateFile("C:\\p.exe", kGenericRead, kShareRead, Disposition::OpenExisting);
    std::int64_t end = PayloadEnd(h);
    CloseHandle(h);
    return end;
  }
  test::TestMachine machine_;
};

TEST_F(PayloadEndTest, ACertificateTableThatEndsAPeFileIsNotPartOfThePayload) {
  for (bool plus : {false, true}) {
    std::string file = test::PeImage(plus) + "payload and trailer";
    const std::int64_t payloadEnd = std::int64_t(file.size());
    EXPECT_EQ(EndOf(file), payloadEnd);  // not signed
    test::AppendPeCertificates(file, std::string(40, 'C'));
    EXPECT_EQ(EndOf(file), payloadEnd) << plus;
    // A table that does not reach the end (something was appended after it) is not skipped.
    EXPECT_EQ(EndOf(file + "more"), std::int64_t(file.size() + 4));
  }
  EXPECT_EQ(EndOf("MZ short"), 8);
  EXPECT_EQ(EndOf(std::string(100, 'x')), 100);
}

// The engine finds the package and checks the seal of a signed program as the extractor does.
TEST_F(PayloadEndTest, TheEngineReadsASignedSelfExtractorAndRefusesItChanged) {
  std::uint8_t header[kDiskHeaderSize];
  EncodeDiskHeader(DiskHeader{}, header);
  const std::string package(reinterpret_cast<const char*>(header), sizeof header);
  std::string file = test::BuildSealedPayloadFile(
      test::PeImage(true), {{"Install.exe", "engine"},
                            {"Karvo.dll", "library"},
                            {"Install.ini", "[<General>]\r\nProjectName=Signed\r\n"},
                            {"Signed.inf", "[<General>]\r\n"},
                            {"Signed.0", package}});
  test::AppendPeCertificates(file, std::string(24, 'S'));
  machine_.WriteFile("C:\\dl\\Signed.exe", file);
  PackageState state;
  std::string why;
  EXPECT_TRUE(CheckInstallerSeal(state, "C:\\dl\\Signed.exe", &why)) << why;
  EXPECT_EQ(ProjectNameInPayload("C:\\dl\\Signed.exe"), "Signed");
  ASSERT_EQ(OpenPackageAtStartup(state, "C:\\dl\\Signed.exe", true), StartupOpen::Opened);
  EXPECT_EQ(state.packageLength, kDiskHeaderSize);

  file[file.find("library") + 2] ^= 0x01;
  machine_.WriteFile("C:\\dl\\Signed.exe", file);
  PackageState changed;
  EXPECT_FALSE(CheckInstallerSeal(changed, "C:\\dl\\Signed.exe", &why));
  EXPECT_TRUE(changed.damaged);
  EXPECT_NE(why.find("is damaged or cut short: its contents differ"), std::string::npos) << why;
}

// The extractor hands over what it found sound; the engine hashes again unless the very file
// is there as it was, and the hand-over goes no further than the engine.
TEST_F(PayloadEndTest, AWitnessSparesTheSecondHashOfTheSameUntouchedFileOnly) {
  std::uint8_t header[kDiskHeaderSize];
  EncodeDiskHeader(DiskHeader{}, header);
  const std::string file = test::BuildSealedPayloadFile(
      test::PeImage(true), {{"Install.exe", "engine"},
                            {"W.0", std::string(reinterpret_cast<char*>(header), sizeof header)}});
  machine_.WriteFile("C:\\dl\\W.exe", file);
  auto open = [](std::uint32_t access) {
    return CreateFile("C:\\dl\\W.exe", access, kShareRead, Disposition::OpenExisting);
  };
  FileHandle h = open(kGenericRead);
  const std::string witness = SealWitness(h);
  FileTime written;
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
  CloseHandle(h);
  ASSERT_FALSE(witness.empty());

  // A byte changed in place, its time put back or moved on: only the witness of the same
  // time can pass it.
  auto change = [&](bool keepTime) {
    FileHandle w = open(kGenericWrite);
    const char byte = 'E';
    std::uint32_t done = 0;
    ASSERT_EQ(SetFilePointer(w, std::int64_t(file.find("engine")), SeekFrom::Begin),
              std::int64_t(file.find("engine")));
    ASSERT_TRUE(WriteFile(w, &byte, 1, &done));
    const FileTime later{written.ticks + (keepTime ? 0 : 10'000'000)};
    ASSERT_TRUE(SetFileTime(w, nullptr, nullptr, &later));
    CloseHandle(w);
  };
  auto state = [&](std::string_view given) {
    FileHandle r = open(kGenericRead);
    const SealState s = CheckPayloadSeal(r, given).state;
    CloseHandle(r);
    return s;
  };
  change(true);
  EXPECT_EQ(state(witness), SealState::Sound);
  EXPECT_EQ(state({}), SealState::Damaged);
  EXPECT_EQ(state(witness + "0"), SealState::Damaged);

  ASSERT_TRUE(SetEnvironmentVariable(kSealWitnessVariable, witness));
  PackageState engine;
  std::string why;
  EXPECT_TRUE(CheckInstallerSeal(engine, "C:\\dl\\W.exe", &why)) << why;
  EXPECT_STREQ(std::getenv(kSealWitnessVariable), "");

  change(false);
  ASSERT_TRUE(SetEnvironmentVariable(kSealWitnessVariable, witness));
  PackageState later;
  EXPECT_FALSE(CheckInstallerSeal(later, "C:\\dl\\W.exe", &why));
  EXPECT_TRUE(later.damaged);
}

}  // namespace
}  // namespace vx::pkg
