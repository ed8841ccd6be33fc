#include "tests/support/TestMachine.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Machine.h"

namespace vx::test {

namespace fs = std::filesystem;

TestMachine::TestMachine(const std::string& platform) {
  std::string tmpl = (fs::temp_directory_path() / "vxtest-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  std::ofstream ini(dir_ + "/machine.ini", std::ios::binary);
  ini << "[Machine]\r\nPlatform=" << platform << "\r\n";
  ini.close();
  Machine::SetCurrent(dir_);
  // Child processes (the programs under test) work on the same machine.
  setenv("VX_MACHINE", dir_.c_str(), 1);
  setenv("VX_PACE", "0", 1);
  setenv("VX_UI", "headless", 1);
}

TestMachine::~TestMachine() {
  std::error_code ec;
  // Read-only files and folders must not keep the tree alive.
  for (auto it = fs::recursive_directory_iterator(dir_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(dir_, ec);
}

void TestMachine::Reconfigure(const std::string& lines) const {
  std::ofstream ini(dir_ + "/machine.ini", std::ios::binary | std::ios::trunc);
  ini << "[Machine]\r\n" << lines;
  ini.close();
  Machine::SetCurrent(dir_);
}

std::string TestMachine::Host(const std::string& winPath) const {
  auto host = Machine::Current().ToHost(winPath);
  if (!host) throw std::runtime_error("unmapped path " + winPath);
  return *host;
}

void TestMachine::WriteFile(const std::string& winPath, const std::string& content) const {
  fs::path p = Host(winPath);
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string TestMachine::ReadFile(const std::string& winPath) const {
  std::ifstream in(Host(winPath), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string BinDir() { return VX_BIN_DIR; }

}  // namespace vx::test
