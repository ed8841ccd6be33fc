// Fuzz target for the self-extractor payload as the engine reads it: the input is a whole
// extractor file. The trailer must lead the reader only to a package inside the file, and
// the entry heads found by walking the payload decode to names that fit their field and
// encode back to the same head. The seal's check stays inside the file, and a seal (of a
// self-extractor or of a folder installation) that decodes encodes back to the same bytes.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/files/PackageFormat.h"
#include "engine/files/FolderSeal.h"
#include "engine/files/PackageReader.h"
#include "engine/files/PayloadSeal.h"
#include "platform/Files.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

namespace fs = std::filesystem;

std::string hostFile;

using vx::fuzz::Require;

void Prepare() {
  if (!hostFile.empty()) return;
  std::string tmpl = (fs::temp_directory_path() / "vxfuzz-trailer-XXXXXX").string();
  Require(mkdtemp(tmpl.data()) != nullptr);
  vx::Machine::SetCurrent(tmpl);
  vx::SetPaceFactor(0);
  hostFile = *vx::Machine::Current().ToHost("C:\\dl\\Prod.exe");
  fs::create_directories(fs::path(hostFile).parent_path());
  vx::SetUi(std::make_unique<vx::HeadlessUi>(std::vector<std::string>{}, false));
}

// Walks the entry heads from the payload start as the extractor lays them out, staying
// inside the bytes before the trailer.
void WalkEntries(const std::uint8_t* data, std::size_t size) {
  if (size < vx::pkg::kTrailerSize) return;
  const std::size_t end = size - vx::pkg::kTrailerSize;
  vx::pkg::PayloadTrailer t = vx::pkg::DecodeTrailer(data + end);
  std::size_t at = t.payloadStart;
  for (std::uint32_t n = 0; n < t.entryCount && n < vx::pkg::kMaxEntries; ++n) {
    if (at > end || end - at < vx::pkg::kEntryHeadSize) return;
    vx::pkg::EntryHead head = vx::pkg::DecodeEntryHead(data + at);
    Require(head.name.size() <= vx::pkg::kEntryNameSize);
    Require(head.name.find('\0') == std::string::npos);
    std::uint8_t again[vx::pkg::kEntryHeadSize];
    if (vx::pkg::EncodeEntryHead(head, again)) {
      vx::pkg::EntryHead back = vx::pkg::DecodeEntryHead(again);
      Require(back.name == head.name && back.length == head.length && back.packed == head.packed);
    } else {
      Require(head.name.size() == vx::pkg::kEntryNameSize);
    }
    at += vx::pkg::kEntryHeadSize;
    if (end - at < head.length) return;
    at += head.length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Prepare();
  WalkEntries(data, size);
  std::ofstream(hostFile, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  vx::pkg::PayloadSeal decoded;
  if (vx::pkg::DecodeSeal(data, size, &decoded)) {
    const std::size_t body = vx::pkg::SealSize(decoded.disks.size(), 0);
    const std::string again = vx::pkg::EncodeSeal(decoded, size - body);
    Require(again.size() == size && std::memcmp(again.data(), data, size) == 0);
  }
  std::vector<vx::pkg::SealedFile> files;
  if (vx::pkg::DecodeFolderSeal(data, size, &files)) {
    const std::string again = vx::pkg::EncodeFolderSeal(files);
    Require(again.size() == size && std::memcmp(again.data(), data, size) == 0);
  }
  vx::FileHandle own = vx::CreateFile("C:\\dl\\Prod.exe", vx::kGenericRead, vx::kShareRead,
                                      vx::Disposition::OpenExisting);
  Require(own != vx::kInvalidHandle);
  const vx::pkg::SealCheck seal = vx::pkg::CheckPayloadSeal(own);
  Require(seal.end >= 0 && std::uint64_t(seal.end) <= size);
  if (seal.state == vx::pkg::SealState::Sound) {
    Require(seal.firstEntry + std::int64_t(vx::pkg::kTrailerSize) <= seal.end);
    Require(seal.seal.coveredLength ==
            std::uint64_t(seal.end - std::int64_t(vx::pkg::kTrailerSize) - seal.firstEntry));
  }
  Require(vx::pkg::PayloadEntryData(own, "Install.ini", 1 << 16).size() <= (1u << 16));
  vx::CloseHandle(own);

  vx::PackageState package;
  vx::StartupOpen result = vx::OpenPackageAtStartup(package, "C:\\dl\\Prod.exe", true);
  if (result == vx::StartupOpen::Opened) {
    // The package lies wholly in front of the trailer; the header has been read from it.
    Require(package.packageLength + vx::pkg::kTrailerSize <= size);
    Require(package.firstDiskLeft + vx::pkg::kDiskHeaderSize == package.packageLength);
    Require(package.packageLength >= vx::pkg::kDiskHeaderSize);
  } else {
    Require(!package.IsOpen());
  }
  // The maintenance open reaches the same header through the same trailer.
  vx::PackageState installed;
  Require(vx::OpenInstalledPackage(installed, "C:\\dl\\Prod.exe"));
  if (result == vx::StartupOpen::Opened) Require(installed.compressed == package.compressed);
  return 0;
}
