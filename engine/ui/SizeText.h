// Sizes as a person reads them: "17,115 KB", "2,048 MB", "252 GB".
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// A whole number with a comma between each group of three digits.
std::string WithThousandsSeparators(std::uint64_t n);
// Kilobytes in the largest of KB, MB and GB that keeps the figure under 10,000 (GB has no
// limit), rounded to the nearest unit.
std::string KilobytesText(std::uint64_t kilobytes);

}  // namespace vx
