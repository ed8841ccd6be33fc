// A throw-away machine in the temp folder, made current for a benchmark, that scripts can be
// written into.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Machine.h"

namespace vx::bench {

class BenchMachine {
 public:
  BenchMachine() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vxbench-XXXXXX").string();
    if (mkdtemp(tmpl.data())) dir_ = tmpl;
    vx::Machine::SetCurrent(dir_);
  }
  ~BenchMachine() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  void WriteFile(const std::string& winPath, const std::string& content) {
    std::filesystem::path host = *vx::Machine::Current().ToHost(winPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << content;
  }

 private:
  std::string dir_;
};

}  // namespace vx::bench
