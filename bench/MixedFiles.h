// A repeatable set of files like a product ships: many small text and resource files, a few
// hundred medium ones and some large binaries, mixing text, structured binary data that
// compresses about 2:1, and bytes that do not compress at all (pictures, archives).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vx::bench {

struct MixedFile {
  std::string relativePath;  // with "/" between folders
  std::uint64_t size = 0;
};

namespace detail {

struct Rng {
  std::uint64_t s;
  explicit Rng(std::uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
  std::uint64_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
};

inline void FillText(Rng& r, std::string& out, std::size_t n) {
  static const std::vector<std::string> vocabulary = [] {
    std::vector<std::string> words;
    Rng w(7);
    for (int i = 0; i < 600; ++i) {
      std::string word;
      std::size_t len = 2 + w.Below(9);
      for (std::size_t k = 0; k < len; ++k) word += static_cast<char>('a' + w.Below(26));
      words.push_back(word);
    }
    return words;
  }();
  while (out.size() < n) {
    // Skewed choice: common words far more often, as in real text.
    std::size_t pick = r.Below(vocabulary.size());
    pick = pick * pick / vocabulary.size();
    out += vocabulary[pick];
    std::uint64_t sep = r.Below(16);
    out += sep == 0 ? "\r\n" : sep == 1 ? ", " : " ";
  }
  out.resize(n);
}

inline void FillStructured(Rng& r, std::string& out, std::size_t n) {
  // Records of small integers, repeated tags and occasional noise, like code and tables.
  static const char* tags[] = {"\x55\x8B\xEC", "\x83\xC4\x04", "\xFF\x15", "\xE8", "\x00\x00"};
  while (out.size() < n) {
    out += tags[r.Below(5)];
    std::uint64_t v = r.Next();
    out += static_cast<char>(v & 0x0F);
    out += static_cast<char>((v >> 8) & 0x03);
    if ((v >> 16) % 4 == 0) out.append(reinterpret_cast<const char*>(&v), 4);
  }
  out.resize(n);
}

inline void FillRandom(Rng& r, std::string& out, std::size_t n) {
  out.resize(n);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t v = r.Next();
    std::memcpy(&out[i], &v, 8);
  }
  for (; i < n; ++i) out[i] = static_cast<char>(r.Next());
}

}  // namespace detail

// Writes about `totalBytes` of files under `hostRoot` (created when missing) and lists them.
// The same seed gives the same files.
inline std::vector<MixedFile> WriteMixedFiles(const std::string& hostRoot,
                                              std::uint64_t totalBytes = 200ull << 20,
                                              unsigned seed = 1) {
  namespace fs = std::filesystem;
  detail::Rng r(seed);
  std::vector<MixedFile> files;
  const char* folders[] = {"", "bin/", "lib/", "doc/", "res/img/", "res/snd/", "lib/plugins/"};
  std::uint64_t written = 0;
  std::string content;
  for (int n = 0; written < totalBytes; ++n) {
    // One file in 500 is large, one in 4 is medium, the rest are small.
    std::uint64_t size;
    std::uint64_t kind = r.Below(500);
    if (kind == 0) {
      size = (4ull << 20) + r.Below(16ull << 20);
    } else if (kind < 125) {
      size = (16ull << 10) + r.Below(480ull << 10);
    } else {
      size = 100 + r.Below(8ull << 10);
    }
    size = std::min<std::uint64_t>(size, totalBytes - written);
    content.clear();
    std::uint64_t flavour = r.Below(10);
    if (flavour < 4) {
      detail::FillText(r, content, size);
    } else if (flavour < 7) {
      detail::FillStructured(r, content, size);
    } else {
      detail::FillRandom(r, content, size);
    }
    MixedFile f;
    f.relativePath = std::string(folders[r.Below(7)]) + "file" + std::to_string(n) +
                     (flavour < 4   ? ".txt"
                      : flavour < 7 ? ".dll"
                                    : ".dat");
    f.size = size;
    fs::path p = fs::path(hostRoot) / f.relativePath;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(content.data(), static_cast<std::streamsize>(size));
    written += size;
    files.push_back(f);
  }
  return files;
}

}  // namespace vx::bench
