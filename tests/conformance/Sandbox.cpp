#include "tests/conformance/Sandbox.h"

#include "platform/Files.h"
#include "platform/System.h"

#ifndef _WIN32
#include "tests/support/TestMachine.h"
#endif

namespace vx::test {

#ifdef _WIN32
struct Sandbox::Machine {};
#else
struct Sandbox::Machine {
  TestMachine machine;
};
#endif

namespace {

void RemoveTree(const std::string& folder) {
  FindData d;
  FindHandle h = FindFirstFile(folder + "*", &d);
  if (h != kInvalidFind) {
    do {
      if (d.name == "." || d.name == "..") continue;
      const std::string path = folder + d.name;
      if (d.attributes & kAttrDirectory) {
        RemoveTree(path + "\\");
      } else {
        SetFileAttributes(path, kAttrNormal);
        DeleteFile(path);
      }
    } while (FindNextFile(h, &d));
    FindClose(h);
  }
  RemoveDirectory(folder.substr(0, folder.size() - 1));
}

}  // namespace

Sandbox::Sandbox() = default;
Sandbox::~Sandbox() = default;

void Sandbox::SetUp() {
  machine_ = std::make_unique<Machine>();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = GetTempPath() + "conf-" + info->test_suite_name() + "-" + info->name() + "\\";
  RemoveTree(folder_);
  ASSERT_TRUE(CreateDirectory(folder_.substr(0, folder_.size() - 1))) << folder_;
}

void Sandbox::TearDown() {
  RemoveTree(folder_);
  machine_.reset();
}

void Sandbox::Put(const std::string& path, const std::string& bytes) const {
  FileHandle h = CreateFile(path, kGenericWrite, kShareNone, Disposition::CreateAlways);
  ASSERT_NE(h, kInvalidHandle) << path;
  std::uint32_t n = 0;
  EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &n));
  CloseHandle(h);
}

std::string Sandbox::Get(const std::string& path) const {
  FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return "<missing>";
  std::string out;
  char buffer[4096];
  std::uint32_t n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n) && n > 0) out.append(buffer, n);
  CloseHandle(h);
  return out;
}

}  // namespace vx::test
