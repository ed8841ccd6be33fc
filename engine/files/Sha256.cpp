#include "engine/files/Sha256.h"

#include <atomic>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define VX_SHA_INSTRUCTIONS 1
#include <cpuid.h>
#include <immintrin.h>
#else
#define VX_SHA_INSTRUCTIONS 0
#endif

namespace vx {

namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kLengthBytes = 8;

inline std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// One 64-byte block at a time, as FIPS 180-4 writes it.
void PortableBlocks(std::uint32_t* state, const std::uint8_t* p, std::size_t count) {
  for (; count > 0; --count, p += kBlockBytes) {
    std::uint32_t w[64];
    for (int t = 0; t < 16; ++t)
      w[t] = std::uint32_t(p[4 * t]) << 24 | std::uint32_t(p[4 * t + 1]) << 16 |
             std::uint32_t(p[4 * t + 2]) << 8 | std::uint32_t(p[4 * t + 3]);
    for (int t = 16; t < 64; ++t) {
      std::uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
      std::uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
      w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; ++t) {
      std::uint32_t t1 =
          h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[t] + w[t];
      std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#if VX_SHA_INSTRUCTIONS
// The x86 SHA extensions: two rounds per instruction on the state kept as ABEF and CDGH, and
// the message schedule four words at a time. Payloads of hundreds of megabytes are hashed
// before they are used, so this is on the path of every installation.
__attribute__((target("sha,sse4.1"))) void ProcessorBlocks(std::uint32_t* state,
                                                           const std::uint8_t* p,
                                                           std::size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; count > 0; --count, p += kBlockBytes) {
    const __m128i abefBefore = abef;
    const __m128i cdghBefore = cdgh;
    __m128i w[4];
    for (int i = 0; i < 4; ++i)
      w[i] =
          _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), byteSwap);
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g) {
      __m128i wk = _mm_add_epi32(w[g & 3],
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
      wk = _mm_shuffle_epi32(wk, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);
      if (g < 12) {  // words 4g+16..4g+19 replace 4g..4g+3, the oldest still held
        __m128i next = _mm_sha256msg1_epu32(w[g & 3], w[(g + 1) & 3]);
        next = _mm_add_epi32(next, _mm_alignr_epi8(w[(g + 3) & 3], w[(g + 2) & 3], 4));
        w[g & 3] = _mm_sha256msg2_epu32(next, w[(g + 3) & 3]);
      }
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

bool ProcessorHasSha() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
  const bool ssse3 = (c & bit_SSSE3) != 0, sse41 = (c & bit_SSE4_1) != 0;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return false;
  return ssse3 && sse41 && (b & bit_SHA) != 0;
}
#else
void ProcessorBlocks(std::uint32_t*, const std::uint8_t*, std::size_t) {}
bool ProcessorHasSha() { return false; }
#endif

using BlocksFunction = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);
// Chosen on first use, so that no other file's start-up can hash before it is set.
constinit std::atomic<BlocksFunction> gBlocks{nullptr};

}  // namespace

bool UseSha256Engine(Sha256Engine engine) {
  if (engine == Sha256Engine::Portable) {
    gBlocks.store(PortableBlocks, std::memory_order_relaxed);
    return true;
  }
  if (!ProcessorHasSha()) return false;
  gBlocks.store(ProcessorBlocks, std::memory_order_relaxed);
  return true;
}

Sha256::Sha256() { std::memcpy(state_.data(), kInitial, sizeof kInitial); }

void Sha256::Blocks(const std::uint8_t* blocks, std::size_t count) {
  BlocksFunction blocksFunction = gBlocks.load(std::memory_order_relaxed);
  if (blocksFunction == nullptr) {
    blocksFunction = ProcessorHasSha() ? ProcessorBlocks : PortableBlocks;
    BlocksFunction unset = nullptr;
    // A test's explicit choice, made meanwhile, stands.
    if (!gBlocks.compare_exchange_strong(unset, blocksFunction, std::memory_order_relaxed))
      blocksFunction = unset;
  }
  blocksFunction(state_.data(), blocks, count);
}

void Sha256::Update(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  totalBytes_ += size;
  if (pendingSize_ > 0) {
    std::size_t take = std::min(size, kBlockBytes - pendingSize_);
    std::memcpy(pending_.data() + pendingSize_, p, take);
    pendingSize_ += take;
    p += take;
    size -= take;
    if (pendingSize_ < kBlockBytes) return;
    Blocks(pending_.data(), 1);
    pendingSize_ = 0;
  }
  const std::size_t whole = size / kBlockBytes;
  if (whole > 0) Blocks(p, whole);
  p += whole * kBlockBytes;
  size -= whole * kBlockBytes;
  std::memcpy(pending_.data(), p, size);
  pendingSize_ = size;
}

Sha256Digest Sha256::Finish() {
  const std::uint64_t bits = totalBytes_ * 8;
  std::uint8_t pad[kBlockBytes + kLengthBytes] = {0x80};
  std::size_t padSize =
      (pendingSize_ < kBlockBytes - kLengthBytes ? kBlockBytes : 2 * kBlockBytes) - pendingSize_ -
      kLengthBytes;
  Update(pad, padSize);
  std::uint8_t length[kLengthBytes];
  for (std::size_t i = 0; i < kLengthBytes; ++i) length[i] = std::uint8_t(bits >> (56 - 8 * i));
  Update(length, sizeof length);
  Sha256Digest digest;
  for (std::size_t i = 0; i < 8; ++i)
    for (std::size_t j = 0; j < 4; ++j) digest[4 * i + j] = std::uint8_t(state_[i] >> (24 - 8 * j));
  return digest;
}

Sha256Digest Sha256Of(const void* data, std::size_t size) {
  Sha256 sha;
  sha.Update(data, size);
  return sha.Finish();
}

std::string HexOf(const Sha256Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

}  // namespace vx
