#include "engine/ui/SizeText.h"

namespace vx {

namespace {
constexpr std::uint64_t kUnitStep = 1024;
constexpr std::uint64_t kSwitchAt = 10000;  // a figure this large moves to the next unit
}  // namespace

std::string WithThousandsSeparators(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string KilobytesText(std::uint64_t kilobytes) {
  static const char* const kUnits[] = {" KB", " MB", " GB"};
  std::uint64_t value = kilobytes;
  std::uint64_t divisor = 1;
  std::size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && value >= kSwitchAt) {
    divisor *= kUnitStep;
    value = (kilobytes + divisor / 2) / divisor;
    ++unit;
  }
  return WithThousandsSeparators(value) + kUnits[unit];
}

}  // namespace vx
