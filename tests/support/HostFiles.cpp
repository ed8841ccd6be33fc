#include "tests/support/HostFiles.h"

#include <fstream>
#include <sstream>

namespace vx::test {

namespace fs = std::filesystem;

std::string ReadHost(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteHost(const fs::path& p, const std::string& content) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << content;
}

std::string Noise(std::size_t size, std::uint32_t seed) {
  std::string s(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = char(x);
  }
  return s;
}

std::string Lines(std::size_t count, const std::string& word) {
  std::string s;
  for (std::size_t i = 0; i < count; ++i) s += word + " line " + std::to_string(i) + "\r\n";
  return s;
}

}  // namespace vx::test
