// A fresh emulated machine in a temporary folder for one test, made current for the process.
#pragma once
#include <string>

namespace vx::test {

class TestMachine {
 public:
  // Creates a new machine directory under the system temp folder. `platform` is "NT" or "9x".
  explicit TestMachine(const std::string& platform = "NT");
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  const std::string& Dir() const { return dir_; }
  // Rewrites machine.ini as "[Machine]" followed by `lines` (CR LF ended) and makes the
  // machine current again, so that the new settings hold.
  void Reconfigure(const std::string& lines) const;
  // Host path of a Windows path on this machine.
  std::string Host(const std::string& winPath) const;
  // Writes a whole file (host side) at a Windows path, creating folders.
  void WriteFile(const std::string& winPath, const std::string& content) const;
  std::string ReadFile(const std::string& winPath) const;

 private:
  std::string dir_;
};

// The folder of the built programs (Install.exe, Karvo.dll ...).
std::string BinDir();

}  // namespace vx::test
