// Shared set-up of the package reader and file copy tests: a fresh machine, a quiet headless
// UI whose answers the test queues, and helpers to look at what landed on drive C:.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Flags.h"
#include "engine/base/Folders.h"
#include "engine/files/FileCopy.h"
#include "engine/files/PackageReader.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Machine.h"
#include "platform/Files.h"
#include "tests/files/PackageImage.h"
#include "tests/support/RunFixture.h"
#include "tests/support/TestMachine.h"

namespace vx::test {

class ReaderFixture : public FreshRunTest {
 protected:
  void SetUp() override {
    ui_ = Headless();
    Folders().temp = "C:\\Temp\\";
  }
  void TearDown() override { package_.Close(); }

  // Writes the disks and opens disk 0 as start-up does.
  StartupOpen Open(const PackageImage& image, const std::vector<std::string>& disks,
                   bool selfExtractor = true, const std::string& path = "C:\\pkg\\setup.exe") {
    WriteDisks(m_, path, disks);
    package_.totalDisks = static_cast<int>(disks.size());
    return OpenPackageAtStartup(package_, path, selfExtractor);
  }

  std::string Read(const std::string& winPath) const { return m_.ReadFile(winPath); }
  bool Exists(const std::string& winPath) const {
    return std::filesystem::exists(m_.Host(winPath));
  }

  FileTime WriteTime(const std::string& winPath, FileTime* creation = nullptr,
                     FileTime* access = nullptr) const {
    FileHandle h = CreateFile(winPath, kGenericRead, kShareRead, Disposition::OpenExisting);
    FileTime write;
    if (h != kInvalidHandle) {
      GetFileTime(h, creation, access, &write);
      CloseHandle(h);
    }
    return write;
  }

  // Every file under the host folder of C:\ (relative paths), to prove nothing else appeared.
  std::vector<std::string> FilesOnC() const {
    std::vector<std::string> out;
    std::filesystem::path root = m_.Host("C:\\");
    for (auto& e : std::filesystem::recursive_directory_iterator(root)) {
      if (e.is_regular_file()) out.push_back(std::filesystem::relative(e.path(), root).string());
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // The names in one folder (none when it is missing).
  std::vector<std::string> FilesIn(const std::string& winFolder) const {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(m_.Host(winFolder), ec))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  TestMachine m_;
  HeadlessUi* ui_ = nullptr;
  PackageState package_;
};

}  // namespace vx::test
