// A throw-away machine for the fuzz targets whose inputs name paths: only drive
// C, so that no Windows path of an input can reach the host outside the machine
// folder. A sentinel file beside the machine folder tells whether anything
// wrote outside it.
#pragma once
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/fuzz/FuzzRequire.h"

namespace vx::fuzz {

struct FuzzMachine {
  std::filesystem::path outer;  // holds the machine folder and the sentinel
  std::string driveC;           // host folder of drive C

  explicit FuzzMachine(const char *tag) {
    std::string tmpl =
        (std::filesystem::temp_directory_path() / (std::string(tag) + "-XXXXXX")).string();
    Require(mkdtemp(tmpl.data()) != nullptr);
    outer = tmpl;
    std::filesystem::create_directories(outer / "machine");
    std::ofstream(outer / "machine" / "machine.ini")
        << "[Machine]\r\nPlatform=NT\r\nUser=fuzz\r\nAdmin=1\r\n[Drives]\r\nC="
           "fixed,drive_c\r\nZ=\r\n";
    std::ofstream(outer / "sentinel") << "untouched";
    Machine::SetCurrent((outer / "machine").string());
    SetPaceFactor(0);
    driveC = *Machine::Current().ToHost("C:\\");
  }

  // Nothing but the machine folder and the unchanged sentinel beside it.
  void CheckOutside() const {
    std::size_t entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(outer)) {
      (void)e;
      ++entries;
    }
    Require(entries == 2);
    std::ifstream in(outer / "sentinel");
    std::stringstream ss;
    ss << in.rdbuf();
    Require(ss.str() == "untouched");
  }
};

}  // namespace vx::fuzz
