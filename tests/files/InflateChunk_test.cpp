// A chunk is good exactly when zlib's one-call uncompress into 4096 bytes takes it. These
// tests hold InflateChunk to that, both on what the writer produces and on hand-made
// streams that use the corners where a lenient decoder would take more than zlib does.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/files/InflatePool.h"
#include "tests/files/PackageImage.h"

namespace vx::test {
namespace {

struct Result {
  bool ok = false;
  std::string bytes;
};

Result Ours(const std::string& stream) {
  std::vector<std::uint8_t> out(pkg::kMaxChunkOutput);
  std::uint32_t n = 0;
  Result r;
  r.ok = InflateChunk(reinterpret_cast<const std::uint8_t*>(stream.data()),
                      static_cast<std::uint32_t>(stream.size()), out.data(), &n);
  if (r.ok) r.bytes.assign(reinterpret_cast<const char*>(out.data()), n);
  return r;
}

Result Zlib(const std::string& stream) {
  std::vector<std::uint8_t> out(pkg::kMaxChunkOutput);
  uLongf n = out.size();
  Result r;
  r.ok = uncompress(out.data(), &n, reinterpret_cast<const Bytef*>(stream.data()),
                    static_cast<uLong>(stream.size())) == Z_OK;
  if (r.ok) r.bytes.assign(reinterpret_cast<const char*>(out.data()), n);
  return r;
}

// Both decoders take the stream or both refuse it, and agree on the bytes.
void ExpectSame(const std::string& stream, const std::string& what) {
  const Result ours = Ours(stream);
  const Result zlib = Zlib(stream);
  ASSERT_EQ(ours.ok, zlib.ok) << what;
  if (ours.ok) {
    ASSERT_EQ(ours.bytes, zlib.bytes) << what;
  }
}

// Deflate bits: fields least significant bit first, Huffman codes most significant first.
class BitWriter {
 public:
  void Field(std::uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i) Bit((value >> i) & 1);
  }
  void Code(std::uint32_t code, int bits) {
    for (int i = bits - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  std::string Bytes() const { return bytes_; }

 private:
  void Bit(unsigned b) {
    if (used_ == 0) bytes_.push_back('\0');
    bytes_.back() = static_cast<char>(bytes_.back() | b << used_);
    used_ = (used_ + 1) % 8;
  }
  std::string bytes_;
  int used_ = 0;
};

// The canonical code of a set of lengths: symbol -> (code, length).
using Codes = std::map<int, std::pair<std::uint32_t, int>>;

Codes Canonical(const std::vector<int>& lengths) {
  int count[16] = {};
  for (int l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t next[16] = {};
  std::uint32_t code = 0;
  for (int l = 1; l < 16; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = code;
  }
  Codes codes;
  for (int s = 0; s < static_cast<int>(lengths.size()); ++s) {
    if (lengths[s] != 0) codes[s] = {next[lengths[s]]++, lengths[s]};
  }
  return codes;
}

void Put(BitWriter& w, const Codes& codes, int symbol) {
  const auto& [code, bits] = codes.at(symbol);
  w.Code(code, bits);
}

// A zlib stream around a deflate body whose output is `plain`, with a true checksum, so that
// only the body decides whether a decoder takes it.
std::string Wrap(const std::string& body, const std::string& plain) {
  const uLong sum = adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(plain.data()),
                            static_cast<uInt>(plain.size()));
  std::string s = "\x78\xDA" + body;
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((sum >> shift) & 0xFF);
  return s;
}

void FixedSymbol(BitWriter& w, int s) {
  if (s < 144)
    w.Code(0x30 + s, 8);
  else if (s < 256)
    w.Code(0x190 + s - 144, 9);
  else if (s < 280)
    w.Code(s - 256, 7);
  else
    w.Code(0xC0 + s - 280, 8);
}

// A final fixed block: 'a', then a match of the given length symbol at distance 1.
std::string FixedMatch(int lengthSymbol, int matchLength) {
  BitWriter w;
  w.Field(1, 1);
  w.Field(1, 2);
  FixedSymbol(w, 'a');
  FixedSymbol(w, lengthSymbol);
  if (lengthSymbol >= 265 && lengthSymbol < 285) w.Field(0, (lengthSymbol - 261) / 4);
  w.Code(0, 5);
  FixedSymbol(w, 256);
  return Wrap(w.Bytes(), std::string(1 + matchLength, 'a'));
}

// A final fixed block: "abcd", then a match of length 3 with the given distance symbol
// and extra bits (symbol 3 is distance 4).
std::string FixedDistance(int distanceSymbol, int extraBits) {
  BitWriter w;
  w.Field(1, 1);
  w.Field(1, 2);
  for (char c : std::string("abcd")) FixedSymbol(w, c);
  FixedSymbol(w, 257);
  w.Code(distanceSymbol, 5);
  w.Field(0, extraBits);
  FixedSymbol(w, 256);
  return Wrap(w.Bytes(), "abcdabc");
}

// A dynamic block, described by its parts so that each test can bend one of them.
struct Dynamic {
  int literalCount = 286;  // HLIT + 257
  int distanceCount = 30;  // HDIST + 1
  std::map<int, int> literals = {{'a', 1}, {256, 2}, {257, 2}};
  std::vector<int> distances = {1, 1};  // lengths of the first distance codes
  // The code-length symbols as written (with extra bits); empty: one per length.
  std::vector<std::pair<int, int>> lengthSymbols;

  std::vector<int> LiteralLengths() const {
    std::vector<int> l(literalCount, 0);
    for (auto [s, len] : literals) l[s] = len;
    return l;
  }
  std::vector<int> DistanceLengths() const {
    std::vector<int> l(distanceCount, 0);
    for (std::size_t i = 0; i < distances.size(); ++i) l[i] = distances[i];
    return l;
  }

  // Writes the header; returns the literal/length and distance codes for the body.
  std::pair<Codes, Codes> Header(BitWriter& w) const {
    std::vector<int> all = LiteralLengths();
    const std::vector<int> dist = DistanceLengths();
    all.insert(all.end(), dist.begin(), dist.end());
    std::vector<std::pair<int, int>> symbols = lengthSymbols;
    if (symbols.empty()) {
      for (int l : all) symbols.push_back({l, 0});
    }
    w.Field(1, 1);
    w.Field(2, 2);
    w.Field(literalCount - 257, 5);
    w.Field(distanceCount - 1, 5);
    // A complete code-length code over all 19 symbols: 13 of 4 bits, 6 of 5 bits.
    static const int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                   11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::vector<int> pre(19);
    for (int s = 0; s < 19; ++s) pre[s] = s < 13 ? 4 : 5;
    w.Field(15, 4);
    for (int i = 0; i < 19; ++i) w.Field(pre[kOrder[i]], 3);
    const Codes preCodes = Canonical(pre);
    for (auto [s, extra] : symbols) {
      Put(w, preCodes, s);
      if (s == 16) w.Field(extra, 2);
      if (s == 17) w.Field(extra, 3);
      if (s == 18) w.Field(extra, 7);
    }
    return {Canonical(LiteralLengths()), Canonical(DistanceLengths())};
  }

  // "a", a match of 3 at distance 1 (written as `distanceCode`, one bit), end of block
  // where there is a code for it.
  std::string Stream(std::uint32_t distanceCode = 0) const {
    BitWriter w;
    auto [lit, dist] = Header(w);
    Put(w, lit, 'a');
    Put(w, lit, 257);
    w.Code(distanceCode, 1);
    if (lit.count(256) != 0) Put(w, lit, 256);
    return Wrap(w.Bytes(), "aaaa");
  }
};

TEST(InflateChunkTest, FixedBlocksWithReservedSymbolsAreRefused) {
  // The control streams prove the hand-made blocks are sound apart from the one symbol.
  EXPECT_TRUE(Ours(FixedMatch(285, 258)).ok);
  EXPECT_TRUE(Ours(FixedMatch(257, 3)).ok);
  for (int reserved : {286, 287}) {
    const std::string s = FixedMatch(reserved, 258);
    EXPECT_FALSE(Zlib(s).ok) << reserved;
    EXPECT_FALSE(Ours(s).ok) << reserved;
  }
  EXPECT_TRUE(Ours(FixedDistance(3, 0)).ok);
  for (int reserved : {30, 31}) {
    for (int extra : {0, 13, 14}) {
      const std::string s = FixedDistance(reserved, extra);
      EXPECT_FALSE(Zlib(s).ok) << reserved;
      EXPECT_FALSE(Ours(s).ok) << reserved << " " << extra;
    }
  }
}

TEST(InflateChunkTest, DynamicHeadersBeyondTheLimitsAreRefused) {
  Dynamic base;
  ASSERT_TRUE(Zlib(base.Stream()).ok);
  EXPECT_EQ(Ours(base.Stream()).bytes, "aaaa");
  for (int literals : {287, 288}) {
    Dynamic d;
    d.literalCount = literals;
    EXPECT_FALSE(Zlib(d.Stream()).ok) << literals;
    EXPECT_FALSE(Ours(d.Stream()).ok) << literals;
  }
  for (int distances : {31, 32}) {
    Dynamic d;
    d.distanceCount = distances;
    EXPECT_FALSE(Zlib(d.Stream()).ok) << distances;
    EXPECT_FALSE(Ours(d.Stream()).ok) << distances;
  }
}

TEST(InflateChunkTest, OneSymbolCodesTakeOnlyTheZeroBit) {
  Dynamic d;
  d.distances = {1};
  EXPECT_EQ(Ours(d.Stream(0)).bytes, "aaaa");
  EXPECT_FALSE(Zlib(d.Stream(1)).ok);
  EXPECT_FALSE(Ours(d.Stream(1)).ok);

  // An end-of-block code alone: an empty block, ended by bit 0 only.
  for (std::uint32_t bit : {0u, 1u}) {
    Dynamic e;
    e.literals = {{256, 1}};
    BitWriter w;
    e.Header(w);
    w.Code(bit, 1);
    const std::string s = Wrap(w.Bytes(), "");
    ExpectSame(s, "end of block bit " + std::to_string(bit));
    EXPECT_EQ(Ours(s).ok, bit == 0);
  }
}

TEST(InflateChunkTest, BadCodesAndLengthRunsAreRefused) {
  struct Case {
    const char* what;
    Dynamic d;
  };
  std::vector<Case> cases;
  {
    Dynamic d;
    d.distances = {0};  // no distance code at all, yet a match follows
    cases.push_back({"empty distance code", d});
  }
  {
    Dynamic d;
    d.distances = {2, 2};
    cases.push_back({"incomplete distance code", d});
  }
  {
    Dynamic d;
    d.distances = {1, 1, 1};
    cases.push_back({"over-subscribed distance code", d});
  }
  {
    Dynamic d;
    d.literals = {{'a', 1}, {257, 1}};
    cases.push_back({"no end-of-block code", d});
  }
  {
    // The last distance length written as "repeat the previous 3 times" with one left.
    Dynamic d;
    d.distanceCount = 2;
    std::vector<int> all = d.LiteralLengths();
    for (int l : d.DistanceLengths()) all.push_back(l);
    for (std::size_t i = 0; i + 1 < all.size(); ++i) d.lengthSymbols.push_back({all[i], 0});
    d.lengthSymbols.push_back({16, 0});
    cases.push_back({"length run past the end", d});
  }
  {
    Dynamic d;
    d.lengthSymbols.push_back({16, 0});  // a repeat with nothing before it
    std::vector<int> all = d.LiteralLengths();
    for (int l : d.DistanceLengths()) all.push_back(l);
    for (std::size_t i = 3; i < all.size(); ++i) d.lengthSymbols.push_back({all[i], 0});
    cases.push_back({"repeat first", d});
  }
  for (const Case& c : cases) {
    const std::string s = c.d.Stream();
    EXPECT_FALSE(Zlib(s).ok) << c.what;
    EXPECT_FALSE(Ours(s).ok) << c.what;
  }

  // Runs within bounds are fine, a run from the last literal/length length on into the
  // distance lengths included.
  Dynamic d;
  d.literals = {{'a', 1}, {256, 3}, {257, 3}, {284, 3}, {285, 3}};
  d.distances = {3, 3, 3, 3, 2, 2};
  d.lengthSymbols = {{18, 97 - 11}, {1, 0}, {18, 138 - 11}, {17, 10 - 3}, {17, 10 - 3},
                     {3, 0},        {3, 0}, {18, 26 - 11},  {3, 0},       {16, 5 - 3},
                     {2, 0},        {2, 0}, {18, 24 - 11}};
  BitWriter w;
  auto [lit, dist] = d.Header(w);
  Put(w, lit, 'a');
  Put(w, lit, 257);
  Put(w, dist, 0);
  Put(w, lit, 256);
  const std::string good = Wrap(w.Bytes(), "aaaa");
  ASSERT_TRUE(Zlib(good).ok);
  EXPECT_EQ(Ours(good).bytes, "aaaa");
}

TEST(InflateChunkTest, WriterChunksInflateAsZlibDoes) {
  const std::vector<std::pair<const char*, std::string>> blocks = {
      {"empty", ""},
      {"one byte", "x"},
      {"tiny", "hello"},
      {"text", TextBytes(pkg::kBlockSize, 1)},
      {"random", RandomBytes(pkg::kBlockSize, 2)},
      {"one repeated byte", std::string(pkg::kBlockSize, 'z')},
      {"text tail", TextBytes(700, 3)},
  };
  for (const auto& [what, plain] : blocks) {
    for (int level : {9, 1, 0}) {
      const std::string s = ZlibStream(plain, level);
      const Result r = Ours(s);
      ASSERT_TRUE(r.ok) << what << " level " << level;
      EXPECT_EQ(r.bytes, plain) << what << " level " << level;
      // Bytes after the end of the stream would be lost: the chunk is refused.
      EXPECT_FALSE(Ours(s + std::string("\x00\xFF\x78", 3)).ok) << what;
      EXPECT_FALSE(Ours(s + s).ok) << what;
      // Every shorter prefix is refused.
      for (std::size_t cut = 0; cut < s.size(); ++cut)
        EXPECT_FALSE(Ours(s.substr(0, cut)).ok) << what << " cut at " << cut;
    }
  }
}

TEST(InflateChunkTest, OutputOfAtMost4096Bytes) {
  for (const std::string& plain : {TextBytes(4097, 4), RandomBytes(4097, 5)}) {
    const std::string full = plain.substr(0, 4096);
    const Result r = Ours(ZlibStream(full));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, full);
    EXPECT_FALSE(Ours(ZlibStream(plain)).ok);
    EXPECT_FALSE(Ours(ZlibStream(plain, 1)).ok);
  }
}

TEST(InflateChunkTest, DamagedChunksAreJudgedAsZlibJudgesThem) {
  // Every single bit flipped in a dynamic block, a stored block and a fixed block, and some
  // pairs: a damaged chunk may still pass zlib's checks, and then it must pass ours too.
  const std::vector<std::pair<const char*, std::string>> streams = {
      {"dynamic", ZlibStream(TextBytes(pkg::kBlockSize, 6))},
      {"stored", ZlibStream(RandomBytes(300, 7))},
      {"fixed", ZlibStream("a short fixed block, a short fixed block")},
  };
  for (const auto& [what, s] : streams) {
    for (std::size_t bit = 0; bit < s.size() * 8; ++bit) {
      std::string d = s;
      d[bit / 8] = static_cast<char>(d[bit / 8] ^ (1 << (bit % 8)));
      ExpectSame(d, std::string(what) + " bit " + std::to_string(bit));
      std::string two = d;
      const std::size_t other = (bit * 7919 + 13) % (s.size() * 8);
      two[other / 8] = static_cast<char>(two[other / 8] ^ (1 << (other % 8)));
      ExpectSame(two,
                 std::string(what) + " bits " + std::to_string(bit) + "," + std::to_string(other));
    }
  }
}

TEST(InflateChunkTest, SeveralBlocksInflateAsZlibDoes) {
  // A stream flushed part-way has a non-final block before the last one.
  const std::string plain = TextBytes(3000, 8);
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, 9), Z_OK);
  std::string s(8192, '\0');
  z.next_out = reinterpret_cast<Bytef*>(s.data());
  z.avail_out = static_cast<uInt>(s.size());
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = 1000;
  ASSERT_EQ(deflate(&z, Z_FULL_FLUSH), Z_OK);
  z.avail_in = static_cast<uInt>(plain.size() - 1000);
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  s.resize(z.total_out);
  deflateEnd(&z);
  EXPECT_EQ(Ours(s).bytes, plain);
  ExpectSame(s, "flushed");
}

}  // namespace
}  // namespace vx::test
