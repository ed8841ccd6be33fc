// Host files and generated contents for tests that build products from a source tree.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace vx::test {

std::string ReadHost(const std::filesystem::path& p);
// Creates the folders above it; replaces what was there.
void WriteHost(const std::filesystem::path& p, const std::string& content);
// Bytes that do not compress, the same for the same seed.
std::string Noise(std::size_t size, std::uint32_t seed);
// Text that compresses well: `count` numbered CR LF lines of `word`.
std::string Lines(std::size_t count, const std::string& word);

}  // namespace vx::test
