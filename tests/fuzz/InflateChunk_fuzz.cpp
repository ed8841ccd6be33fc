// InflateChunk against zlib's uncompress into 4096 bytes (of a stream that fills its chunk):
// the same streams taken, the same bytes out. zlib and libdeflate are not instrumented, so four
// kinds of input reach into their decoders:
//   mode 0: the bytes as they are;
//   mode 1: the rest compressed at a level the input picks, then a few bits flipped;
//   mode 2: the rest as a raw deflate body, given a zlib header (its fields from the mode
//           byte) and a checksum that matches what one of the decoders makes of it, so that
//           the checksum hides no difference;
//   mode 3: blocks built from the rest: fixed, stored or dynamic with complete codes, or
//           with one flaw on purpose (a code with a symbol dropped or added, one symbol or
//           none, limits exceeded, stray runs), lengths written plainly or in runs, a body
//           of symbols with or without codes; then wrapped as in mode 2.
#include <libdeflate.h>
#include <stdlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/files/InflatePool.h"

namespace {

constexpr std::size_t kOut = 4096;

// The output of a raw deflate body as zlib sees it; false when zlib refuses it.
// `used` is the length of the body up to its end.
bool ZlibRaw(const std::uint8_t* body, std::size_t size, std::uint8_t* out, std::size_t* n,
             std::size_t* used) {
  static z_stream z = [] {
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK) abort();
    return s;
  }();
  if (inflateReset(&z) != Z_OK) abort();
  z.next_in = const_cast<Bytef*>(body);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = out;
  z.avail_out = kOut;
  const bool ok = inflate(&z, Z_FINISH) == Z_STREAM_END;
  *n = kOut - z.avail_out;
  *used = size - z.avail_in;
  return ok;
}

bool LibdeflateRaw(const std::uint8_t* body, std::size_t size, std::uint8_t* out, std::size_t* n,
                   std::size_t* used) {
  static libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  if (d == nullptr) abort();
  return libdeflate_deflate_decompress_ex(d, body, size, out, kOut, used, n) == LIBDEFLATE_SUCCESS;
}

// The fuzzer's bytes, read one at a time; zeros once they run out.
class Source {
 public:
  Source(const std::uint8_t* p, std::size_t n) : p_(p), end_(p + n) {}
  unsigned Byte() { return p_ < end_ ? *p_++ : 0; }
  unsigned Below(unsigned n) { return Byte() % n; }
  bool Empty() const { return p_ >= end_; }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

class BitWriter {
 public:
  BitWriter(std::uint8_t* out, std::size_t capacity) : out_(out), capacity_(capacity) {}
  // Fields go least significant bit first, Huffman codes most significant first.
  void Field(std::uint32_t v, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) Bit((v >> i) & 1);
  }
  void Code(std::uint32_t code, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) Bit((code >> i) & 1);
  }
  void Align() {
    while (used_ != 0) Bit(0);
  }
  bool Full() const { return size_ + 8 > capacity_; }
  std::size_t Size() const { return size_ + (used_ != 0); }

 private:
  void Bit(unsigned b) {
    if (size_ >= capacity_) return;
    if (used_ == 0) out_[size_] = 0;
    out_[size_] = static_cast<std::uint8_t>(out_[size_] | b << used_);
    if (++used_ == 8) {
      used_ = 0;
      ++size_;
    }
  }
  std::uint8_t* out_;
  std::size_t capacity_;
  std::size_t size_ = 0;
  unsigned used_ = 0;
};

// Lengths of a complete code over `symbols` (at least two; one gets length 1): leaves of a
// binary tree grown by splitting leaves the source picks, no deeper than `limit`.
void CompleteCode(Source& src, const std::vector<unsigned>& symbols, unsigned limit,
                  std::vector<unsigned>& lengths) {
  if (symbols.empty()) return;
  if (symbols.size() == 1) {
    lengths[symbols[0]] = 1;
    return;
  }
  std::vector<unsigned> leaves = {1, 1};
  while (leaves.size() < symbols.size()) {
    std::size_t at = src.Below(static_cast<unsigned>(leaves.size()));
    while (leaves[at] >= limit) at = (at + 1) % leaves.size();
    ++leaves[at];
    leaves.push_back(leaves[at]);
  }
  for (std::size_t i = 0; i < symbols.size(); ++i) lengths[symbols[i]] = leaves[i];
}

// What a bent header gets wrong: one thing at a time, so that each shows on its own.
enum Flaw : unsigned {
  kSound,
  kLiteralDropped,  // a literal/length code taken out: incomplete
  kLiteralAdded,    // one more: over-subscribed (or incomplete)
  kLiteralSingle,   // the end-of-block code alone, of one bit
  kNoEndOfBlock,
  kManyLiterals,  // 287 or 288 literal/length codes
  kDistanceDropped,
  kDistanceAdded,
  kDistanceSingle,
  kDistanceEmpty,
  kManyDistances,  // 31 or 32 distance codes
  kRunPastEnd,     // the last length written as a run that goes on past it
  kRepeatFirst,    // a repeat of the previous length with none before it
  kCodeLengthDropped,
  kCodeLengthAdded,
  kCodeLengthSingle,
  kStoredLengthBad,  // a stored block whose length check does not match
  kFlaws
};

void DropOne(Source& src, std::vector<unsigned>& lengths) {
  std::vector<unsigned> used;
  for (unsigned s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) used.push_back(s);
  if (!used.empty()) lengths[used[src.Below(unsigned(used.size()))]] = 0;
}

void AddOne(Source& src, unsigned limit, std::vector<unsigned>& lengths) {
  lengths[src.Below(unsigned(lengths.size()))] = 1 + src.Below(limit);
}

void KeepOne(Source& src, std::vector<unsigned>& lengths) {
  std::vector<unsigned> used;
  for (unsigned s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) used.push_back(s);
  const unsigned keep = used.empty() ? 0 : used[src.Below(unsigned(used.size()))];
  std::fill(lengths.begin(), lengths.end(), 0u);
  lengths[keep] = 1;
}

struct Code {
  std::vector<std::uint32_t> codes;
  std::vector<unsigned> lengths;
};

// Canonical codes for any lengths, over-subscribed ones included (their codes then clash,
// which is what such a stream carries anyway).
Code Canonical(const std::vector<unsigned>& lengths) {
  unsigned count[16] = {};
  for (unsigned l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t next[16] = {};
  std::uint32_t c = 0;
  for (unsigned l = 1; l < 16; ++l) {
    c = (c + count[l - 1]) << 1;
    next[l] = c;
  }
  Code code{std::vector<std::uint32_t>(lengths.size()), lengths};
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) code.codes[s] = next[lengths[s]]++;
  return code;
}

// A symbol by its code, or, when it has none, a few bits from the source in its place.
void Put(BitWriter& w, Source& src, const Code& code, unsigned symbol) {
  if (symbol < code.lengths.size() && code.lengths[symbol] != 0) {
    w.Code(code.codes[symbol], code.lengths[symbol]);
  } else {
    w.Field(src.Byte(), 1 + src.Below(8));
  }
}

void FixedCode(Code& lit, Code& dist) {
  std::vector<unsigned> l(288);
  for (unsigned s = 0; s < 288; ++s) l[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  lit = Canonical(l);
  dist = Canonical(std::vector<unsigned>(32, 5));
}

// Writes a block's header as the source says, sound but for `flaw`, and returns its codes.
// A stored block is written whole; its codes stay empty.
void BlockHeader(BitWriter& w, Source& src, bool first, bool final, Flaw flaw, Code& lit,
                 Code& dist, std::size_t& produced) {
  const unsigned kind = src.Byte();
  w.Field(final ? 1 : 0, 1);
  // Fixed blocks now and then; after a first block, often (where only a whole decoding of
  // the first one would find them).
  if ((kind & 7) == 0 || (!first && (kind & 0x10))) {
    w.Field(1, 2);
    FixedCode(lit, dist);
    return;
  }
  if ((kind & 7) == 1 || flaw == kStoredLengthBad) {
    w.Field(0, 2);
    w.Align();
    const unsigned length = src.Byte() << 4 | src.Byte() >> 4;
    w.Field(length, 16);
    w.Field((flaw == kStoredLengthBad ? length ^ (1u << src.Below(16)) : length) ^ 0xFFFF, 16);
    for (unsigned i = 0; i < length && !w.Full(); ++i) w.Field(src.Byte(), 8);
    produced += length;
    lit = dist = Code{};
    return;
  }
  w.Field(2, 2);
  const unsigned litCount = 257 + (flaw == kManyLiterals ? 30 + src.Below(2) : src.Below(30));
  const unsigned distCount = 1 + (flaw == kManyDistances ? 30 + src.Below(2) : src.Below(30));
  std::vector<unsigned> litLengths(litCount), distLengths(distCount);
  std::vector<unsigned> symbols;
  if (flaw != kNoEndOfBlock) symbols.push_back(256);
  for (unsigned n = 1 + src.Below(40); n > 0; --n) {
    unsigned s = (src.Byte() << 8 | src.Byte()) % litCount;
    if (flaw == kManyLiterals && n == 1) s = litCount - 1;  // a code the limit would not allow
    if (flaw == kNoEndOfBlock && s == 256) continue;
    if (std::find(symbols.begin(), symbols.end(), s) == symbols.end()) symbols.push_back(s);
  }
  CompleteCode(src, symbols, 15, litLengths);
  symbols.clear();
  for (unsigned n = 2 + src.Below(8); n > 0; --n) {
    unsigned s = src.Below(distCount);
    if (flaw == kManyDistances && n == 1) s = distCount - 1;
    if (std::find(symbols.begin(), symbols.end(), s) == symbols.end()) symbols.push_back(s);
  }
  CompleteCode(src, symbols, 15, distLengths);
  if (flaw == kLiteralDropped) DropOne(src, litLengths);
  if (flaw == kLiteralAdded) AddOne(src, 15, litLengths);
  if (flaw == kLiteralSingle) {
    std::fill(litLengths.begin(), litLengths.end(), 0u);
    litLengths[256] = 1;  // an empty block, if only the right bit ends it
  }
  if (flaw == kDistanceDropped) DropOne(src, distLengths);
  if (flaw == kDistanceAdded) AddOne(src, 15, distLengths);
  if (flaw == kDistanceSingle) KeepOne(src, distLengths);
  if (flaw == kDistanceEmpty) std::fill(distLengths.begin(), distLengths.end(), 0u);
  // The lengths as code-length symbols, in runs where the source asks. With a run past the
  // end, the last length is written as a run that goes on beyond it: of zeros if it is 0,
  // else repeating the length before it, which then becomes the last length.
  const bool runs = kind & 8;
  std::vector<unsigned> all = litLengths;
  all.insert(all.end(), distLengths.begin(), distLengths.end());
  const std::size_t plain = all.size() - (flaw == kRunPastEnd ? 1 : 0);
  std::vector<std::pair<unsigned, unsigned>> written;  // symbol, extra bits value
  for (std::size_t i = 0; i < plain;) {
    std::size_t run = 1;
    while (runs && run < 138 && i + run < plain && all[i + run] == all[i]) ++run;
    if (runs && all[i] == 0 && run >= 3) {
      const std::size_t n = std::min<std::size_t>(run, 138);
      written.push_back(n >= 11 ? std::pair(18u, unsigned(n - 11))
                                : std::pair(17u, unsigned(n - 3)));
      i += n;
    } else if (runs && i > 0 && all[i] == all[i - 1] && run >= 3) {
      const std::size_t n = std::min<std::size_t>(run, 6);
      written.push_back({16u, unsigned(n - 3)});
      i += n;
    } else {
      written.push_back({all[i], 0u});
      ++i;
    }
  }
  if (flaw == kRunPastEnd) {
    if (all.back() == 0) {
      written.push_back(src.Byte() & 1 ? std::pair(17u, src.Below(8))
                                       : std::pair(18u, src.Below(128)));
    } else {
      written.push_back({16u, src.Below(4)});
      distLengths.back() = all[all.size() - 2];
    }
  }
  lit = Canonical(litLengths);
  dist = Canonical(distLengths);
  if (flaw == kRepeatFirst) written.insert(written.begin(), {16u, src.Below(4)});
  std::vector<unsigned> preLengths(19);
  symbols.clear();
  for (const auto& [sym, extra] : written)
    if (std::find(symbols.begin(), symbols.end(), sym) == symbols.end()) symbols.push_back(sym);
  if (symbols.size() < 2) symbols.push_back(symbols.empty() ? 0 : 18 - symbols[0] % 2);
  CompleteCode(src, symbols, 7, preLengths);
  if (flaw == kCodeLengthDropped) DropOne(src, preLengths);
  if (flaw == kCodeLengthAdded) AddOne(src, 7, preLengths);
  if (flaw == kCodeLengthSingle) KeepOne(src, preLengths);
  const Code pre = Canonical(preLengths);
  static constexpr unsigned kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};
  unsigned count = 19;
  while (count > 4 && preLengths[kOrder[count - 1]] == 0) --count;
  w.Field(litCount - 257, 5);
  w.Field(distCount - 1, 5);
  w.Field(count - 4, 4);
  for (unsigned i = 0; i < count; ++i) w.Field(preLengths[kOrder[i]], 3);
  for (const auto& [sym, extra] : written) {
    Put(w, src, pre, sym);
    if (sym >= 16) w.Field(extra, sym == 16 ? 2 : sym == 17 ? 3 : 7);
  }
}

constexpr unsigned kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr unsigned kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

unsigned LengthExtraBits(unsigned symbol) {
  return symbol >= 265 && symbol < 285 ? (symbol - 261) / 4 : 0;
}
unsigned DistanceExtraBits(unsigned symbol) { return symbol >= 4 ? (symbol - 2) / 2 : 0; }

// The block's body, mostly what a decoder takes: literals and matches with codes, reaching
// no further back than the output so far (the reserved length symbols of a fixed block
// among them, taken as 258). Now and then a symbol without a code, any match, or stray
// bits. Then an end of block.
void BlockBody(BitWriter& w, Source& src, const Code& lit, const Code& dist,
               std::size_t& produced) {
  if (lit.lengths.empty()) return;  // stored
  std::vector<unsigned> literals, lengths, distances;
  for (unsigned s = 0; s < lit.lengths.size(); ++s) {
    if (lit.lengths[s] == 0 || s == 256) continue;
    (s < 256 ? literals : lengths).push_back(s);
  }
  for (unsigned s = 0; s < dist.lengths.size() && s < 30; ++s)
    if (dist.lengths[s] != 0) distances.push_back(s);
  while (!src.Empty() && !w.Full() && produced < kOut) {
    const unsigned t = src.Byte() % 16;
    if (t < 8 && !literals.empty()) {
      Put(w, src, lit, literals[src.Below(unsigned(literals.size()))]);
      ++produced;
    } else if (t < 13 && !lengths.empty() && !distances.empty() && produced > 0) {
      const unsigned l = lengths[src.Below(unsigned(lengths.size()))];
      unsigned d = distances[src.Below(unsigned(distances.size()))];
      for (unsigned k = 0; k < distances.size() && kDistanceBase[d] > produced; ++k)
        d = distances[k];
      if (kDistanceBase[d] > produced) continue;
      Put(w, src, lit, l);
      w.Field(src.Byte(), LengthExtraBits(l));
      const unsigned bits = DistanceExtraBits(d);
      const std::size_t room = produced - kDistanceBase[d];  // how much further back fits
      w.Field(static_cast<unsigned>((src.Byte() << 8 | src.Byte()) % (room + 1)), bits);
      produced += l - 257 < 29 ? kLengthBase[l - 257] : 258;
    } else if (t == 13) {
      const unsigned l = 257 + src.Below(31);
      Put(w, src, lit, l);
      w.Field(src.Byte(), LengthExtraBits(l));
      const unsigned d = src.Below(32);
      Put(w, src, dist, d);
      w.Field(src.Byte() << 8 | src.Byte(), std::min(13u, DistanceExtraBits(d)));
      produced += 3;
    } else if (t == 14) {
      Put(w, src, lit, src.Below(288));
      w.Field(src.Byte(), 1 + src.Below(8));
    } else if (t == 15) {
      break;
    }
  }
  Put(w, src, lit, 256);
}

std::size_t BuildBlocks(const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                        std::size_t capacity) {
  Source src(data, size);
  BitWriter w(out, capacity);
  const unsigned shape = src.Byte();
  const unsigned blocks = 1 + (shape & 6) / 6;  // mostly one
  // Half of the streams are sound; the rest carry one flaw, in their first block.
  const Flaw flaw = shape & 1 ? static_cast<Flaw>(1 + src.Below(kFlaws - 1)) : kSound;
  std::size_t produced = 0;
  for (unsigned b = 0; b < blocks; ++b) {
    Code lit, dist;
    BlockHeader(w, src, b == 0, b + 1 == blocks, b == 0 ? flaw : kSound, lit, dist, produced);
    BlockBody(w, src, lit, dist, produced);
  }
  return w.Size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t inputSize) {
  if (inputSize < 1 || inputSize > 1u << 16) return 0;
  const std::uint8_t* data = input + 1;
  std::size_t size = inputSize - 1;
  static std::uint8_t made[2 * 4200 + 64];
  const int mode = input[0] % 4;
  static std::uint8_t built[4200];
  if (mode == 3) {
    size = BuildBlocks(data, size, built, sizeof built);
    data = built;
  }
  if (mode == 1) {
    // [mode][level][flip count][flip positions: 2 bytes each][plain bytes]
    if (size < 2) return 0;
    const int level = data[0] % 10;
    const std::size_t flips = std::min<std::size_t>(data[1] % 4, (size - 2) / 2);
    const std::uint8_t* positions = data + 2;
    const std::uint8_t* plain = positions + 2 * flips;
    const std::size_t plainSize = std::min<std::size_t>(size - 2 - 2 * flips, 4200);
    uLongf length = sizeof made;
    if (compress2(made, &length, plain, static_cast<uLong>(plainSize), level) != Z_OK) abort();
    for (std::size_t i = 0; i < flips; ++i) {
      const std::size_t bit =
          (std::size_t(positions[2 * i]) << 8 | positions[2 * i + 1]) % (length * 8);
      made[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    }
    data = made;
    size = length;
  } else if (mode >= 2) {
    // [mode][deflate body]: the checksum goes right after the body's end, and whatever
    // follows that end comes after the checksum.
    if (size > sizeof made - 6) return 0;
    std::uint8_t plain[kOut];
    std::size_t n = 0;
    std::size_t used = 0;
    if (!ZlibRaw(data, size, plain, &n, &used) && !LibdeflateRaw(data, size, plain, &n, &used)) {
      n = 0;
      used = size;
    }
    const uLong sum = adler32(adler32(0, nullptr, 0), plain, static_cast<uInt>(n));
    // The header from the mode byte's upper bits: any window size and level, now and then
    // a preset dictionary.
    const unsigned pick = input[0] >> 2;
    made[0] = static_cast<std::uint8_t>((pick & 7) << 4 | 8);
    made[1] = static_cast<std::uint8_t>((pick >> 3 & 3) << 6 | ((pick >> 3) == 7 ? 0x20 : 0));
    made[1] = static_cast<std::uint8_t>(made[1] + (31 - (made[0] << 8 | made[1]) % 31) % 31);
    std::memcpy(made + 2, data, used);
    for (int i = 0; i < 4; ++i) made[2 + used + i] = static_cast<std::uint8_t>(sum >> (24 - 8 * i));
    std::memcpy(made + 6 + used, data + used, size - used);
    data = made;
    size += 6;
  }

  std::uint8_t expect[kOut];
  uLongf n = sizeof expect;
  // A chunk is good when uncompress takes it and its stream ends at the chunk's end.
  bool zlibOk = uncompress(expect, &n, data, static_cast<uLong>(size)) == Z_OK;
  if (zlibOk) {
    static z_stream z = [] {
      z_stream s{};
      if (inflateInit(&s) != Z_OK) abort();
      return s;
    }();
    static std::uint8_t scratch[kOut];
    if (inflateReset(&z) != Z_OK) abort();
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = scratch;
    z.avail_out = kOut;
    zlibOk = inflate(&z, Z_FINISH) == Z_STREAM_END && z.avail_in == 0;
  }

  std::uint8_t got[kOut];
  std::uint32_t inflated = 0;
  const bool ours = vx::InflateChunk(data, static_cast<std::uint32_t>(size), got, &inflated);
  if (ours != zlibOk) abort();
  if (ours && (inflated != n || std::memcmp(got, expect, n) != 0)) abort();
  return 0;
}
