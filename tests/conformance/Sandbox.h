// Where the platform conformance tests work: a fresh folder on the machine the tests run on
// (an emulated machine on Linux, Windows itself under Wine or on Windows).
#pragma once
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace vx::test {

class Sandbox : public ::testing::Test {
 protected:
  Sandbox();
  ~Sandbox() override;
  void SetUp() override;
  void TearDown() override;
  // A folder of its own for this test, with a trailing backslash.
  const std::string& Folder() const { return folder_; }
  // Writes a whole file's bytes / reads them back (through the platform's file calls).
  void Put(const std::string& path, const std::string& bytes) const;
  std::string Get(const std::string& path) const;

 private:
  struct Machine;
  std::unique_ptr<Machine> machine_;
  std::string folder_;
};

}  // namespace vx::test
