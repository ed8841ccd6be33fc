// The built programs as Windows loads them: the machine of each image and the names
// Karvo.dll exports (undecorated, so that vendor tools and Install.exe bind by plain name).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace {

constexpr std::uint16_t kMachineI386 = 0x14c;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

std::string ReadAll(const std::string& path) {
  vx::FileHandle h =
      vx::CreateFile(path, vx::kGenericRead, vx::kShareRead, vx::Disposition::OpenExisting);
  if (h == vx::kInvalidHandle) return {};
  std::string out;
  char buffer[65536];
  std::uint32_t n = 0;
  while (vx::ReadFile(h, buffer, sizeof buffer, &n) && n > 0) out.append(buffer, n);
  vx::CloseHandle(h);
  return out;
}

// A bounds-checked reader of the few PE fields the checks need.
struct Pe {
  std::string bytes;
  bool ok = false;
  std::uint16_t machine = 0;
  std::vector<std::string> exports;
  std::vector<std::string> imports;

  std::uint32_t U32(std::size_t at) const {
    if (at + 4 > bytes.size()) return 0;
    std::uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  }
  std::uint16_t U16(std::size_t at) const {
    if (at + 2 > bytes.size()) return 0;
    std::uint16_t v;
    std::memcpy(&v, bytes.data() + at, 2);
    return v;
  }
  std::string Text(std::size_t at) const {
    if (at >= bytes.size()) return {};
    return std::string(bytes.data() + at, strnlen(bytes.data() + at, bytes.size() - at));
  }

  explicit Pe(std::string data) : bytes(std::move(data)) {
    if (bytes.size() < 0x40 || bytes.compare(0, 2, "MZ") != 0) return;
    const std::size_t nt = U32(0x3c);
    if (nt + 24 > bytes.size() || bytes.compare(nt, 4, std::string("PE\0\0", 4)) != 0) return;
    machine = U16(nt + 4);
    const std::uint16_t sections = U16(nt + 6);
    const std::uint16_t optionalSize = U16(nt + 20);
    const std::size_t optional = nt + 24;
    const bool pe32plus = U16(optional) == 0x20b;
    const std::size_t directories = optional + (pe32plus ? 112 : 96);
    const std::size_t table = optional + optionalSize;
    auto fileOffset = [&](std::uint32_t rva) -> std::size_t {
      for (std::uint16_t i = 0; i < sections; ++i) {
        const std::size_t s = table + i * 40u;
        const std::uint32_t va = U32(s + 12), size = std::max(U32(s + 8), U32(s + 16));
        if (rva >= va && rva < va + size) return rva - va + U32(s + 20);
      }
      return bytes.size();
    };
    if (const std::uint32_t rva = U32(directories)) {
      const std::size_t dir = fileOffset(rva);
      const std::uint32_t count = U32(dir + 24);
      const std::size_t names = fileOffset(U32(dir + 32));
      for (std::uint32_t i = 0; i < count && i < 4096; ++i)
        exports.push_back(Text(fileOffset(U32(names + 4 * i))));
    }
    if (const std::uint32_t rva = U32(directories + 8)) {
      for (std::size_t d = fileOffset(rva); d + 20 <= bytes.size() && U32(d + 12) != 0; d += 20)
        imports.push_back(Text(fileOffset(U32(d + 12))));
    }
    ok = true;
  }
};

const char* const kPrograms[] = {"Install.exe", "Karvo.dll",  "Extract.exe",
                                 "Halvik.exe",  "vxpack.exe", "vximage.exe"};
const char* const kKarvoExports[] = {"AddTextToWindow",        "CreateDirectoryAtOnce",
                                     "DeflateDataToFile",      "DelTree",
                                     "InflateDataToFile",      "IsEvent",
                                     "PrepareFileForRead",     "PrepareFileForWrite",
                                     "RetrieveImageDimension", "SetFileTimeStamp",
                                     "VxDisplayImage",         "VxPlaySound"};

void CheckBuild(const std::string& bin, std::uint16_t machine) {
  for (const char* program : kPrograms) {
    Pe pe(ReadAll(bin + "\\" + program));
    ASSERT_TRUE(pe.ok) << program;
    EXPECT_EQ(pe.machine, machine) << program;
  }
  Pe karvo(ReadAll(bin + "\\Karvo.dll"));
  for (const char* name : kKarvoExports)
    EXPECT_NE(std::find(karvo.exports.begin(), karvo.exports.end(), name), karvo.exports.end())
        << name;
  for (const std::string& name : karvo.exports)
    EXPECT_EQ(name.find_first_of("@?"), std::string::npos) << "decorated export " << name;
  Pe install(ReadAll(bin + "\\Install.exe"));
  EXPECT_NE(std::find(install.imports.begin(), install.imports.end(), "Karvo.dll"),
            install.imports.end());
  EXPECT_NE(std::find(install.exports.begin(), install.exports.end(), "GetFileSize"),
            install.exports.end());
}

TEST(Binaries, X64BuildIsAmd64WithPlainExports) { CheckBuild(VX_BIN_DIR_WIN, kMachineAmd64); }

TEST(Binaries, X86BuildIsI386WithPlainExports) {
  if (!vx::FileOrFolderExists(VX_X86_BIN_DIR_WIN "\\Karvo.dll"))
    GTEST_SKIP() << "no x86 build (./scripts/windows.sh ci builds it first)";
  CheckBuild(VX_X86_BIN_DIR_WIN, kMachineI386);
}

}  // namespace
