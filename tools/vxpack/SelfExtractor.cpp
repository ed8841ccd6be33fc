#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sstream>

#include "engine/files/PackageFormat.h"
#include "engine/files/PackageWriter.h"
#include "engine/files/PackedEntry.h"
#include "platform/Files.h"
#include "platform/WinPath.h"
#include "engine/files/PayloadSeal.h"
#include "tools/vxpack/Layouts.h"
#include "tools/vxpack/Seal.h"
#include "tools/vxpack/ShippedScript.h"

namespace vx::pack {

namespace fs = std::filesystem;

namespace {

struct Entry {
  std::string name;
  std::string host;  // file to copy, or
  std::string text;  // the bytes themselves when host is empty
  std::uint64_t size = 0;
  bool packed = false;  // text is the packed file
};

// The packed data of a host file, when packing makes it smaller.
bool Packed(const std::string& host, std::string* packed) {
  std::ifstream in(host, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return !in.bad() &&
         pkg::PackEntry({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                        packed) &&
         packed->size() < bytes.size();
}

std::string ScriptWithDisks(const PackInput& input, int totalDisks,
                            const std::map<std::int32_t, int>& startDisk) {
  ScriptText text(input.sourceText);
  FillSizeKeys(text, input.script, input.sizes);
  FillDiskKeys(text, input.script, totalDisks, startDisk);
  return text.Text();
}

// Appends host files and texts to an open output stream.
class Output {
 public:
  explicit Output(const std::string& path)
      : path_(path), out_(path, std::ios::binary | std::ios::trunc) {}
  bool Ok() const { return bool(out_); }
  void Bytes(const void* data, std::size_t size) {
    out_.write(static_cast<const char*>(data), std::streamsize(size));
  }
  void Text(const std::string& s) { Bytes(s.data(), s.size()); }
  bool CopyFrom(const std::string& host) {
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    out_ << in.rdbuf();
    return !in.bad() && bool(out_);
  }
  bool Close() {
    out_.close();
    return !out_.fail();
  }
  std::uint64_t Position() { return std::uint64_t(out_.tellp()); }

 private:
  std::string path_;
  std::ofstream out_;
};

}  // namespace

bool WriteSelfExtractor(const PackInput& input, Reporter& reporter) {
  static constexpr char kTooMuchBefore[] =
      "the engine files and the script make more than 4 GiB before the package";
  const std::string project = input.script.projectName;
  const fs::path outHost = input.out.host;
  const std::string exeName = project + ".exe";
  const std::string exeWin = winpath::Join(input.out.win, exeName);
  const fs::path exeHost = outHost / exeName;
  const fs::path imageHost = fs::path(input.engine.host) / "Extract.exe";
  std::error_code ec;

  // The entries before the package, with the script at its longest so that the room left
  // for the package on the first disk is never overestimated.
  std::vector<std::pair<std::string, std::string>> files;  // name, host
  if (!input.splashName.empty()) files.emplace_back(input.splashName, input.splash.host);
  for (const char* name : kEngineFiles)
    files.emplace_back(name, (fs::path(input.engine.host) / name).string());
  // The engine's files and the splash picture travel packed: the extractor unpacks them.
  // Packing them takes a good part of a second; without disks nothing before the package
  // needs their size, so with more than one job they are packed while the package is made.
  auto packFiles = [files](std::vector<Entry>* out) -> std::string {
    for (const auto& [name, host] : files) {
      std::error_code sizeError;
      const std::uint64_t size = fs::file_size(host, sizeError);
      if (sizeError || size > 0xFFFFFFFFull) return "cannot take " + host + " into the payload";
      std::string bytes;
      if (Packed(host, &bytes)) {
        const std::uint64_t packedSize = bytes.size();
        out->push_back({name, {}, std::move(bytes), packedSize, true});
      } else {
        out->push_back({name, host, {}, size});
      }
    }
    return {};
  };
  std::vector<Entry> entries;
  std::vector<Entry> fileEntries;
  std::future<std::string> packing;  // waits in its destructor, before fileEntries goes
  if (input.options.diskSize == 0 && input.jobs > 1) {
    packing = std::async(std::launch::async, packFiles, &fileEntries);
  } else if (std::string error = packFiles(&entries); !error.empty()) {
    reporter.Error(error);
    return false;
  }
  std::string ini = input.InstallIni();
  entries.push_back({"Install.ini", {}, ini, ini.size()});
  std::map<std::int32_t, int> widest;
  for (const PackComponent& c : input.script.components) widest[c.index] = kWidestDisk;
  std::string longestScript = ScriptWithDisks(input, kWidestDisk, widest);
  entries.push_back({input.ShippedScriptName(), {}, longestScript, longestScript.size()});

  const std::uint64_t imageSize = fs::file_size(imageHost, ec);
  // The package entry's head, and the seal at its largest (its padding is 7 bytes at most).
  std::uint64_t before = imageSize + pkg::kEntryHeadSize;
  for (const Entry& e : entries) before += pkg::kEntryHeadSize + e.size;
  const std::uint64_t beforeSeal = before;
  int sealDisks = 0;  // disks after the first that the seal has room for
  auto sealRoom = [&] {
    return pkg::kEntryHeadSize + pkg::SealSize(std::size_t(sealDisks), pkg::kSealAlign - 1);
  };
  before = beforeSeal + sealRoom();
  if (before > 0xFFFFFFFFull) {
    reporter.Error(kTooMuchBefore);
    return false;
  }

  pkg::WriterOptions writer;
  writer.compress = !input.options.raw;
  writer.created = input.created;
  writer.jobs = input.jobs;
  writer.diskSize = input.options.diskSize;
  if (input.options.diskSize != 0) {
    const std::uint64_t fixed = before + pkg::kTrailerSize;
    if (input.options.diskSize < fixed + pkg::kDiskHeaderSize) {
      reporter.Error("--disk-size " + std::to_string(input.options.diskSize) + " is too small: " +
                     exeName + " needs " + std::to_string(fixed + pkg::kDiskHeaderSize) +
                     " bytes before the package's first record");
      return false;
    }
    writer.firstDiskBudget = input.options.diskSize - fixed;
  }
  writer.progress = [&](std::uint64_t done, std::uint64_t total) {
    reporter.Progress(done, total);
  };

  // Disk 0 of the package goes to a side file first: the script in front of it can only be
  // finished once the writer has said where each component starts.
  const std::string tailWin = exeWin + ".package";
  const fs::path tailHost = exeHost.string() + ".package";
  FileHandle tail = CreateFile(tailWin, kGenericWrite, kShareNone, Disposition::CreateAlways);
  if (tail == kInvalidHandle) {
    reporter.Error("cannot create " + tailHost.string());
    return false;
  }
  pkg::FileSink sink(exeWin, tail);
  pkg::WriterResult result = pkg::WritePackage(input.Items(), writer, sink);
  // The seal holds one digest per further disk, and so takes room from the first disk: when
  // the package needs more disks than the seal was sized for, it is written again.
  while (result.ok && input.options.diskSize != 0 && result.diskCount - 1 > sealDisks) {
    sealDisks = std::max(2 * sealDisks, result.diskCount - 1);
    before = beforeSeal + sealRoom();
    const std::uint64_t fixed = before + pkg::kTrailerSize;
    if (input.options.diskSize < fixed + pkg::kDiskHeaderSize) {
      CloseHandle(tail);
      reporter.Error("--disk-size " + std::to_string(input.options.diskSize) +
                     " is too small for the digests of " + std::to_string(sealDisks) + " disks");
      return false;
    }
    writer.firstDiskBudget = input.options.diskSize - fixed;
    CloseHandle(tail);
    tail = CreateFile(tailWin, kGenericWrite, kShareNone, Disposition::CreateAlways);
    if (tail == kInvalidHandle) {
      reporter.Error("cannot create " + tailHost.string());
      return false;
    }
    pkg::FileSink again(exeWin, tail);
    result = pkg::WritePackage(input.Items(), writer, again);
  }
  CloseHandle(tail);
  reporter.EndProgress();
  auto dropTail = [&] { fs::remove(tailHost, ec); };
  if (!result.ok) {
    dropTail();
    if (result.failedItem >= 0)
      reporter.Error(input.DescribeItem(std::size_t(result.failedItem)) + ": " + result.error);
    else
      reporter.Error(result.error);
    return false;
  }

  if (packing.valid()) {
    if (std::string error = packing.get(); !error.empty()) {
      dropTail();
      reporter.Error(error);
      return false;
    }
    for (const Entry& e : fileEntries) before += pkg::kEntryHeadSize + e.size;
    if (before > 0xFFFFFFFFull) {
      dropTail();
      reporter.Error(kTooMuchBefore);
      return false;
    }
    entries.insert(entries.begin(), std::make_move_iterator(fileEntries.begin()),
                   std::make_move_iterator(fileEntries.end()));
  }
  const std::uint64_t packageLength = result.diskBytes.empty() ? 0 : result.diskBytes[0];
  if (packageLength > 0xFFFFFFFFull) {
    dropTail();
    reporter.Error("the package's first disk is larger than 4 GiB; give --disk-size");
    return false;
  }
  entries.back().text = ScriptWithDisks(input, result.diskCount, result.startDisk);
  entries.back().size = entries.back().text.size();

  Output out(exeHost.string());
  if (!out.Ok() || !out.CopyFrom(imageHost.string())) {
    dropTail();
    reporter.Error("cannot write " + exeHost.string());
    return false;
  }
  bool ok = true;
  auto head = [&](const std::string& name, std::uint64_t size, bool packed = false) {
    std::uint8_t bytes[pkg::kEntryHeadSize];
    ok = ok && pkg::EncodeEntryHead({name, std::uint32_t(size), packed}, bytes);
    out.Bytes(bytes, sizeof bytes);
  };
  // The seal first, as zeros of its final size; its digests are written once all is there.
  const int disksAfterFirst = std::max(result.diskCount - 1, 0);
  std::uint64_t length = imageSize + pkg::kEntryHeadSize +
                         pkg::SealSize(std::size_t(disksAfterFirst), 0) + pkg::kEntryHeadSize +
                         packageLength + pkg::kTrailerSize;
  for (const Entry& e : entries) length += pkg::kEntryHeadSize + e.size;
  const std::size_t padding = SealPadding(length);
  const std::size_t sealSize = pkg::SealSize(std::size_t(disksAfterFirst), padding);
  head(pkg::kSealEntryName, sealSize);
  out.Text(std::string(sealSize, '\0'));
  for (const Entry& e : entries) {
    head(e.name, e.size, e.packed);
    if (e.host.empty())
      out.Text(e.text);
    else
      ok = ok && out.CopyFrom(e.host);
  }
  head(project + ".0", packageLength);
  ok = ok && (packageLength == 0 || out.CopyFrom(tailHost.string()));
  std::uint8_t trailer[pkg::kTrailerSize];
  pkg::EncodeTrailer(
      {std::uint32_t(imageSize), std::uint32_t(entries.size() + 2), std::uint32_t(packageLength)},
      trailer);
  out.Bytes(trailer, sizeof trailer);
  ok = out.Close() && ok;
  dropTail();
  std::string sealError;
  if (ok && !WriteSeal(exeHost.string(), imageSize, disksAfterFirst, padding, sealError)) {
    fs::remove(exeHost, ec);
    reporter.Error(sealError);
    return false;
  }
  if (!ok) {
    fs::remove(exeHost, ec);
    reporter.Error("cannot write " + exeHost.string());
    return false;
  }
  fs::permissions(exeHost, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
  RemoveStaleDisks(exeHost.string(), result.diskCount);

  std::uint64_t exeSize = fs::file_size(exeHost, ec);
  reporter.Note("wrote " + exeHost.string() + " (" + std::to_string(exeSize) + " bytes)");
  for (int disk = 1; disk < result.diskCount; ++disk)
    reporter.Note("wrote " + pkg::DiskFileName(exeHost.string(), disk) + " (" +
                  std::to_string(result.diskBytes[std::size_t(disk)]) + " bytes)");
  return true;
}

void RemoveStaleDisks(const std::string& diskZeroHost, int firstStale) {
  std::error_code ec;
  for (int disk = std::max(firstStale, 1); disk <= 0xFFFF; ++disk)
    if (!fs::remove(pkg::DiskFileName(diskZeroHost, disk), ec)) break;
}

}  // namespace vx::pack
