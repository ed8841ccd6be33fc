// Fuzz target for the administrators' switches: any command line splits into switches and a
// rest without reading out of bounds; the rest is never longer than the line, and the
// switches' own text reads back as the same switches.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/base/Switches.h"
#include "tests/fuzz/FuzzRequire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  vx::Switches s;
  std::string rest = vx::TakeSwitches(line, s);
  vx::fuzz::Require(rest.size() <= line.size());
  vx::SwitchComponentNames(s.components);
  vx::MsiCodeOf(static_cast<int>(size));
  // Values holding a switch of their own or a "|" cannot stand in one line again.
  for (const std::string* v : {&s.dir, &s.components, &s.type, &s.log, &s.saveInf})
    if (v->find_first_of("|/-\"") != std::string::npos) return 0;
  vx::Switches again;
  vx::fuzz::Require(vx::TakeSwitches(s.Text(), again).empty());
  vx::fuzz::Require(again.Text() == s.Text());
  return 0;
}
