// Package chunks: DeflateDataToFile framing and InflateDataToFile's agreement with zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "library/Karvo.h"
#include "platform/Files.h"
#include "tests/support/TestMachine.h"

namespace {

using vx::test::TestMachine;
using Bytes = std::vector<std::uint8_t>;

Bytes Random(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

Bytes Text(std::size_t n) {
  static const char* words[] = {"setup ", "file ", "copy\r\n", "Program ", "Files ", "0x00 "};
  std::mt19937 rng(7);
  std::string s;
  while (s.size() < n) s += words[rng() % 6];
  return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

Bytes ReadAll(const TestMachine& m, const std::string& win) {
  std::string s = m.ReadFile(win);
  return Bytes(s.begin(), s.end());
}

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

// Deflates into a fresh file and returns the file's bytes.
Bytes DeflateToFile(const TestMachine& m, const Bytes& data, std::uint8_t level,
                    std::uint32_t* written) {
  vx::FileHandle h = PrepareFileForWrite("C:\\chunk.bin", 1);
  EXPECT_NE(h, vx::kInvalidHandle);
  EXPECT_EQ(
      DeflateDataToFile(h, data.data(), static_cast<std::uint32_t>(data.size()), written, level),
      1);
  vx::CloseHandle(h);
  return ReadAll(m, "C:\\chunk.bin");
}

// Inflates into a fresh file; returns the result and the file's bytes.
int InflateToFile(const TestMachine& m, const Bytes& stream, Bytes* out, std::uint32_t* written) {
  vx::FileHandle h = PrepareFileForWrite("C:\\plain.bin", 1);
  EXPECT_NE(h, vx::kInvalidHandle);
  int rc = InflateDataToFile(h, stream.data(), static_cast<std::uint32_t>(stream.size()), written);
  vx::CloseHandle(h);
  *out = ReadAll(m, "C:\\plain.bin");
  return rc;
}

Bytes Zlib(const Bytes& data, int level) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  Bytes out(n);
  EXPECT_EQ(compress2(out.data(), &n, data.data(), static_cast<uLong>(data.size()), level), Z_OK);
  out.resize(n);
  return out;
}

TEST(DeflateDataToFile, IncompressibleBlockBecomesAStoredChunkAndComesBack) {
  TestMachine m;
  const Bytes block = Random(2048, 1);
  std::uint32_t written = 0;
  const Bytes chunk = DeflateToFile(m, block, 2, &written);
  ASSERT_EQ(chunk.size(), 4u + 2059u);
  EXPECT_EQ(written, 4u + 2059u);
  EXPECT_EQ(Le32(chunk.data()), 2059u);

  Bytes back;
  std::uint32_t inflated = 0;
  const Bytes stream(chunk.begin() + 4, chunk.end());
  EXPECT_NE(InflateToFile(m, stream, &back, &inflated), 0);
  EXPECT_EQ(inflated, 2048u);
  EXPECT_EQ(back, block);
}

TEST(DeflateDataToFile, LevelTwoIsLevelNineAndOthersTheDefault) {
  TestMachine m;
  const Bytes text = Text(2048);
  std::uint32_t written = 0;
  const Bytes nine = DeflateToFile(m, text, 2, &written);
  EXPECT_EQ(Bytes(nine.begin() + 4, nine.end()), Zlib(text, 9));
  EXPECT_EQ(written, nine.size());
  for (std::uint8_t level : {0, 1, 9}) {
    const Bytes other = DeflateToFile(m, text, level, &written);
    EXPECT_EQ(Bytes(other.begin() + 4, other.end()), Zlib(text, Z_DEFAULT_COMPRESSION))
        << int(level);
  }
  // The two levels differ on text, so the choice is really made.
  EXPECT_NE(Zlib(text, 9), Zlib(text, Z_DEFAULT_COMPRESSION));
}

TEST(DeflateDataToFile, ChunksFollowEachOtherAtTheFilePosition) {
  TestMachine m;
  vx::FileHandle h = PrepareFileForWrite("C:\\two.bin", 1);
  const Bytes a = Text(100), b = Random(10, 2), empty;
  std::uint32_t wa = 0, wb = 0, we = 0;
  ASSERT_EQ(DeflateDataToFile(h, a.data(), 100, &wa, 2), 1);
  ASSERT_EQ(DeflateDataToFile(h, b.data(), 10, &wb, 2), 1);
  ASSERT_EQ(DeflateDataToFile(h, empty.data(), 0, &we, 2), 1);
  vx::CloseHandle(h);
  const Bytes file = ReadAll(m, "C:\\two.bin");
  ASSERT_EQ(file.size(), std::size_t(wa) + wb + we);
  EXPECT_EQ(Le32(file.data()), wa - 4);
  EXPECT_EQ(Le32(file.data() + wa), wb - 4);
  EXPECT_EQ(Le32(file.data() + wa + wb), we - 4);
  EXPECT_EQ(Bytes(file.begin() + wa + 4, file.begin() + wa + wb), Zlib(b, 9));
}

TEST(DeflateDataToFile, FailsOnAHandleThatCannotBeWritten) {
  TestMachine m;
  m.WriteFile("C:\\ro.bin", "x");
  vx::FileHandle h = PrepareFileForRead("C:\\ro.bin");
  const Bytes data = Text(50);
  std::uint32_t written = 0;
  EXPECT_EQ(DeflateDataToFile(h, data.data(), 50, &written, 2), 0);
  vx::CloseHandle(h);
  EXPECT_EQ(DeflateDataToFile(vx::kInvalidHandle, data.data(), 50, &written, 2), 0);
  EXPECT_EQ(m.ReadFile("C:\\ro.bin"), "x");
}

TEST(InflateDataToFile, RefusesMoreThan4096BytesAndWritesNothing) {
  TestMachine m;
  Bytes out;
  std::uint32_t written = 0;
  EXPECT_EQ(InflateToFile(m, Zlib(Text(4097), 9), &out, &written), 0);
  EXPECT_TRUE(out.empty());
  // Exactly 4096 is the capacity and passes.
  EXPECT_NE(InflateToFile(m, Zlib(Text(4096), 9), &out, &written), 0);
  EXPECT_EQ(written, 4096u);
  EXPECT_EQ(out, Text(4096));
}

TEST(InflateDataToFile, EmptyStreamWritesNothingAndSucceeds) {
  TestMachine m;
  Bytes out;
  std::uint32_t written = 99;
  EXPECT_NE(InflateToFile(m, Zlib({}, 9), &out, &written), 0);
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(out.empty());
  // Nothing to write still needs a handle to write to.
  const Bytes empty = Zlib({}, 9);
  EXPECT_EQ(InflateDataToFile(vx::kInvalidHandle, empty.data(),
                              static_cast<std::uint32_t>(empty.size()), &written),
            0);
}

TEST(InflateDataToFile, TruncatedOrDamagedStreamsFail) {
  TestMachine m;
  const Bytes good = Zlib(Text(3000), 9);
  Bytes out;
  std::uint32_t written = 0;
  for (std::size_t cut :
       {std::size_t(0), std::size_t(1), std::size_t(2), good.size() / 2, good.size() - 1}) {
    EXPECT_EQ(InflateToFile(m, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)),
                            &out, &written),
              0)
        << cut;
    EXPECT_TRUE(out.empty());
  }
  Bytes badChecksum = good;
  badChecksum.back() ^= 1;
  EXPECT_EQ(InflateToFile(m, badChecksum, &out, &written), 0);
  Bytes badHeader = good;
  badHeader[0] = 0x79;  // not the deflate method
  EXPECT_EQ(InflateToFile(m, badHeader, &out, &written), 0);
  Bytes raw = Random(64, 3);
  EXPECT_EQ(InflateToFile(m, raw, &out, &written), 0);
  EXPECT_EQ(InflateDataToFile(vx::kInvalidHandle, nullptr, 0, &written), 0);

  // A fixed-code block that uses a reserved length symbol, with a checksum that matches
  // what a lenient decoder makes of it: zlib refuses it, and so must the export.
  const Bytes reserved = {0x78, 0x9C, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x57, 0x28, 0xCF,
                          0x2F, 0xCA, 0x49, 0x51, 0xC8, 0xCC, 0x2B, 0x2E, 0x49, 0xCC,
                          0xC9, 0x51, 0x48, 0xCB, 0xCC, 0x49, 0x55, 0xC8, 0x18, 0x93,
                          0x18, 0x79, 0x12, 0x00, 0x4C, 0x28, 0xC4, 0x38};
  Bytes sink(4096);
  uLongf n = 4096;
  ASSERT_NE(uncompress(sink.data(), &n, reserved.data(), static_cast<uLong>(reserved.size())),
            Z_OK);
  EXPECT_EQ(InflateToFile(m, reserved, &out, &written), 0);
  EXPECT_TRUE(out.empty());
}

TEST(InflateDataToFile, BytesAfterTheStreamAreIgnoredAsZlibDoes) {
  TestMachine m;
  const Bytes text = Text(1000);
  Bytes stream = Zlib(text, 9);
  stream.insert(stream.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  Bytes viaZlib(4096);
  uLongf n = 4096;
  ASSERT_EQ(uncompress(viaZlib.data(), &n, stream.data(), static_cast<uLong>(stream.size())), Z_OK);
  Bytes out;
  std::uint32_t written = 0;
  EXPECT_NE(InflateToFile(m, stream, &out, &written), 0);
  EXPECT_EQ(out, text);
}

TEST(InflateDataToFile, FailsWhenTheOutputCannotBeWritten) {
  TestMachine m;
  m.WriteFile("C:\\in.bin", "");
  vx::FileHandle h = PrepareFileForRead("C:\\in.bin");
  const Bytes stream = Zlib(Text(100), 9);
  std::uint32_t written = 0;
  EXPECT_EQ(
      InflateDataToFile(h, stream.data(), static_cast<std::uint32_t>(stream.size()), &written), 0);
  vx::CloseHandle(h);
}

// Whatever bytes arrive, the export accepts exactly the streams zlib's uncompress accepts
// into 4096 bytes and writes exactly its output. Damaged variants of real chunks (flipped
// bits, cut ends, inserted bytes) cover the decoder's error paths.
TEST(InflateDataToFile, AgreesWithUncompressOnDamagedStreams) {
  TestMachine m;
  std::mt19937 rng(12345);
  std::vector<Bytes> seeds;
  for (std::size_t n : {0, 1, 17, 300, 2048, 4000, 4096}) {
    seeds.push_back(Zlib(Text(n), 9));
    seeds.push_back(Zlib(Random(n, static_cast<std::uint32_t>(n)), 9));
    seeds.push_back(Zlib(Text(n), 1));
  }
  vx::FileHandle h = PrepareFileForWrite("C:\\diff.bin", 1);
  ASSERT_NE(h, vx::kInvalidHandle);
  int accepted = 0, refused = 0;
  for (int round = 0; round < 6000; ++round) {
    Bytes s = seeds[rng() % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 3);
    for (int e = 0; e < edits && !s.empty(); ++e) {
      switch (rng() % 5) {
        case 4:
          s.push_back(static_cast<std::uint8_t>(rng()));
          break;
        case 0:
          s[rng() % s.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
          break;
        case 1:
          s[rng() % s.size()] = static_cast<std::uint8_t>(rng());
          break;
        case 2:
          s.resize(rng() % s.size());
          break;
        default:
          s.insert(s.begin() + static_cast<std::ptrdiff_t>(rng() % (s.size() + 1)),
                   static_cast<std::uint8_t>(rng()));
          break;
      }
    }
    Bytes expect(4096);
    uLongf n = 4096;
    const bool zlibOk =
        uncompress(expect.data(), &n, s.data(), static_cast<uLong>(s.size())) == Z_OK;
    expect.resize(zlibOk ? n : 0);

    ASSERT_EQ(vx::SetFilePointer(h, 0, vx::SeekFrom::Begin), 0);
    ASSERT_TRUE(vx::SetEndOfFile(h));
    std::uint32_t written = 0;
    const bool ours =
        InflateDataToFile(h, s.data(), static_cast<std::uint32_t>(s.size()), &written) != 0;
    ASSERT_EQ(ours, zlibOk) << "round " << round;
    if (ours) {
      ASSERT_EQ(written, expect.size());
      ASSERT_EQ(vx::GetFileSize(h), static_cast<std::int64_t>(expect.size()));
      const Bytes got = ReadAll(m, "C:\\diff.bin");
      ASSERT_EQ(got, expect) << "round " << round;
      ++accepted;
    } else {
      ++refused;
    }
  }
  vx::CloseHandle(h);
  // Both outcomes must have been exercised for the comparison to mean anything.
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 1000);
}

TEST(InflateDataToFile, ThreadsInflateIndependently) {
  TestMachine m;
  const Bytes a = Text(4096), b = Random(3000, 9);
  const Bytes sa = Zlib(a, 9), sb = Zlib(b, 9);
  std::vector<std::thread> threads;
  std::vector<int> ok(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const std::string name = "C:\\t" + std::to_string(t) + ".bin";
      vx::FileHandle h = PrepareFileForWrite(name.c_str(), 1);
      const Bytes& s = t % 2 ? sb : sa;
      int good = 1;
      for (int i = 0; i < 200; ++i) {
        std::uint32_t w = 0;
        good &= InflateDataToFile(h, s.data(), static_cast<std::uint32_t>(s.size()), &w) != 0;
      }
      vx::CloseHandle(h);
      ok[static_cast<std::size_t>(t)] = good;
    });
  }
  for (auto& t : threads) t.join();
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(ok[static_cast<std::size_t>(t)], 1);
    const Bytes file = ReadAll(m, "C:\\t" + std::to_string(t) + ".bin");
    const Bytes& one = t % 2 ? b : a;
    ASSERT_EQ(file.size(), one.size() * 200);
    EXPECT_TRUE(
        std::equal(one.begin(), one.end(), file.end() - static_cast<std::ptrdiff_t>(one.size())));
  }
}

}  // namespace
