// vxpack as its users run it: whole products built into self-extractors and folder
// installations, read back with the engine's own package reader.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/files/PackageFormat.h"
#include "engine/files/PackedEntry.h"
#include "engine/files/FolderSeal.h"
#include "engine/files/PayloadSeal.h"
#include "engine/files/PackageReader.h"
#include "engine/files/PackageState.h"
#include "platform/Machine.h"
#include "platform/Profile.h"
#include "tests/support/HostFiles.h"
#include "tests/support/TestMachine.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string err;
};

// One file the product installs: where the script names it and where it lies in the tree.
struct ProductFile {
  int component;  // -1 / -2 for [{Temp}]
  int item;
  std::string relative;  // in the source tree
};

class VxpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(machine_.Dir()) / "work";
    src_ = root_ / "src";
    MakeProduct();
  }

  // A product with two destinations, three components (one action line among the file
  // lines), a name-only and a full [{Temp}] line, and a mix of text and noise.
  void MakeProduct() {
    AddFile(src_ / "$Temp" / "License.txt", Lines(40, "license"));
    AddFile(src_ / "art" / "Side.bmp", Noise(3000, 1));
    AddFile(src_ / "bin" / "App.exe", Noise(20000, 2));
    AddFile(src_ / "bin" / "App.cfg", Lines(10, "setting"));
    AddFile(src_ / "shared" / "Common.dll", Noise(9000, 3));
    AddFile(src_ / "docs" / "Guide.txt", Lines(900, "guide"));
    AddFile(src_ / "docs" / "Empty.txt", "");
    AddFile(src_ / "data" / "Table.bin", Noise(14000, 4));
    script_ =
        "[<General>]\r\nProductName=Packed\r\nProjectName=Packed\r\nProductVersion=1.0\r\n"
        "[<Destinations>]\r\nnItems=2\r\nInstallPath1={ProgramFiles}\\Packed\r\n"
        "InstallPath2=C:\\PackedData\r\n"
        "[<PreActions>]\r\nnItems=0\r\n"
        "[{Temp}]\r\nnItems=2\r\n0=License.txt\r\n1=Side.bmp | {Temp} | art\r\n"
        "[<CompListWnd>]\r\nnItems=3\r\n0=Core | 0 | 1\r\n1=Docs | 1 | 1\r\n2=Data | 1 | 0\r\n"
        "[Core]\r\nnItems=4\r\n0=App.exe | {InstallPath1} | bin | 0\r\n"
        "1=? | If (1 == 1) | 4 | Note | HKEY_CURRENT_USER | Software\\P | Path | {InstallPath1}\r\n"
        "2=App.cfg | {InstallPath1} | BIN | 0\r\n3=Common.dll | {System} | shared | 1\r\n"
        "nIcons=1\r\nIcon0=App | {InstallPath1}\\App.exe |  | {InstallPath1}\\App.exe 0 | "
        "{InstallPath1} | {Desktop} |\r\n"
        "[Docs]\r\nnItems=2\r\n0=Guide.txt | {InstallPath1}\\Docs | docs | 0\r\n"
        "1=Empty.txt | {InstallPath1}\\Docs | docs | 0\r\n"
        "[Data]\r\nnItems=1\r\n0=Table.bin | {InstallPath2} | data | 0\r\n";
    WriteHost(src_ / "Packed.inf", script_);
    files_ = {{-2, 0, "$Temp/License.txt"}, {-1, 1, "art/Side.bmp"},     {0, 0, "bin/App.exe"},
              {0, 2, "bin/App.cfg"},        {0, 3, "shared/Common.dll"}, {1, 0, "docs/Guide.txt"},
              {1, 1, "docs/Empty.txt"},     {2, 0, "data/Table.bin"}};
  }

  void AddFile(const fs::path& p, const std::string& text) { WriteHost(p, text); }

  static std::string Repeated(const std::string& line, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += line;
    return out;
  }
  // Small stand-ins for the engine programs, repetitive as programs are enough to shrink
  // when packed: the payload only carries them.
  static constexpr int kStandInLines = 64;
  fs::path FakeEngine() {
    fs::path dir = root_ / "engine";
    for (const char* name : {"Extract.exe", "Install.exe", "Karvo.dll", "Halvik.exe"})
      WriteHost(dir / name, Repeated(std::string("stand-in for ") + name + "\n", kStandInLines));
    return dir;
  }

  Result Pack(const std::string& arguments,
              const std::string& env = "SOURCE_DATE_EPOCH=1700000000") {
    fs::path err = root_ / "vxpack.err";
    fs::create_directories(root_);
    std::string command = "cd '" + root_.string() + "' && " + env + " '" + BinDir() + "/vxpack' " +
                          arguments + " 2>'" + err.string() + "' >/dev/null";
    int status = std::system(command.c_str());
    Result r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = ReadHost(err);
    return r;
  }

  // The shipped script of a self-extractor, found through its payload.
  std::map<std::string, std::string> Payload(const fs::path& exe) {
    std::string d = ReadHost(exe);
    std::map<std::string, std::string> entries;
    if (d.size() < pkg::kTrailerSize) return entries;
    auto t = pkg::DecodeTrailer(reinterpret_cast<const std::uint8_t*>(d.data()) + d.size() - 12);
    std::size_t p = t.payloadStart;
    order_.clear();
    for (std::uint32_t i = 0; i < t.entryCount && p + pkg::kEntryHeadSize <= d.size(); ++i) {
      auto head = pkg::DecodeEntryHead(reinterpret_cast<const std::uint8_t*>(d.data()) + p);
      p += pkg::kEntryHeadSize;
      entries[head.name] = d.substr(p, head.length);
      order_.push_back(head.name);
      if (head.packed) {
        // The map holds the file, as the extractor writes it out.
        std::vector<std::uint8_t> file;
        EXPECT_TRUE(pkg::UnpackEntry(
            {reinterpret_cast<const std::uint8_t*>(d.data()) + p, head.length}, &file))
            << head.name;
        entries[head.name].assign(file.begin(), file.end());
        packed_.push_back(head.name);
      }
      p += head.length;
    }
    EXPECT_EQ(p, d.size() - pkg::kTrailerSize) << "the entries must end at the trailer";
    return entries;
  }

  int ScriptInt(const std::string& scriptText, const std::string& section, const std::string& key) {
    fs::path p = root_ / "probe.inf";
    WriteHost(p, scriptText);
    return GetPrivateProfileInt(section, key, -1, Machine::Current().FromOutside(p.string()));
  }

  // Reads every record back the way the engine does: the [{Temp}] records from the start,
  // each component from its StartDisk, and compares them with the source files.
  void ExpectRoundTrip(const fs::path& diskZero, bool selfExtractor,
                       const std::string& scriptText) {
    PackageState state;
    std::string win = Machine::Current().FromOutside(diskZero.string());
    ASSERT_EQ(OpenPackageAtStartup(state, win, selfExtractor), StartupOpen::Opened);
    state.packageMode = true;
    state.totalDisks = ScriptInt(scriptText, "<General>", "TotalDisks");
    const std::string out = "C:\\roundtrip\\";
    const char* sections[] = {"Core", "Docs", "Data"};
    int lastComponent = -3;
    for (const ProductFile& f : files_) {
      SCOPED_TRACE(f.relative);
      if (f.component >= 0 && f.component != lastComponent) {
        int startDisk = ScriptInt(scriptText, sections[f.component], "StartDisk");
        ASSERT_TRUE(SeekComponentRecord(state, f.component, f.item, startDisk));
      }
      lastComponent = f.component;
      std::string dest = out + std::to_string(f.component + 2) + "_" + std::to_string(f.item);
      ASSERT_TRUE(ExtractRecord(state, dest, true));
      EXPECT_EQ(machine_.ReadFile(dest), ReadHost(src_ / f.relative));
    }
  }

  TestMachine machine_;
  fs::path root_, src_;
  std::string script_;
  std::vector<ProductFile> files_;
  std::vector<std::string> order_;
  std::vector<std::string> packed_;  // entries stored packed
};

TEST_F(VxpackTest, SelfExtractorCarriesEngineScriptAndPackage) {
  fs::path engine = FakeEngine();
  WriteHost(root_ / "Splash.bmp", Noise(500, 9));
  Result r = Pack("--engine engine --out dist --splash Splash.bmp src/Packed.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("packing"), std::string::npos);  // progress is shown

  fs::path exe = root_ / "dist" / "Packed.exe";
  std::string bytes = ReadHost(exe);
  std::string image = ReadHost(engine / "Extract.exe");
  ASSERT_EQ(bytes.substr(0, image.size()), image);
  auto payload = Payload(exe);
  EXPECT_EQ(order_,
            (std::vector<std::string>{pkg::kSealEntryName, "Splash.bmp", "Install.exe", "Karvo.dll",
                                      "Halvik.exe", "Install.ini", "Packed.inf", "Packed.0"}));
  // The seal covers every byte after itself up to the trailer, and pads the file to 8 bytes.
  const std::string& sealBytes = payload[pkg::kSealEntryName];
  pkg::PayloadSeal seal;
  ASSERT_TRUE(pkg::DecodeSeal(reinterpret_cast<const std::uint8_t*>(sealBytes.data()),
                              sealBytes.size(), &seal));
  const std::size_t covered = image.size() + pkg::kEntryHeadSize + sealBytes.size();
  EXPECT_EQ(seal.coveredLength, bytes.size() - pkg::kTrailerSize - covered);
  EXPECT_EQ(seal.covered, Sha256Of(bytes.data() + covered, seal.coveredLength));
  EXPECT_EQ(bytes.size() % pkg::kSealAlign, 0u);
  EXPECT_TRUE(seal.disks.empty());
  EXPECT_EQ(payload["Install.exe"], ReadHost(engine / "Install.exe"));
  EXPECT_EQ(payload["Splash.bmp"], ReadHost(root_ / "Splash.bmp"));
  // The engine's files shrink when packed and travel so; the picture of noise does not.
  EXPECT_EQ(packed_, (std::vector<std::string>{"Install.exe", "Karvo.dll", "Halvik.exe"}));
  EXPECT_EQ(payload["Install.ini"],
            "[<General>]\r\nProjectName=Packed\r\nSplashImg=Splash.bmp\r\n");

  const std::string& shipped = payload["Packed.inf"];
  EXPECT_EQ(ScriptInt(shipped, "<General>", "TotalDisks"), 1);
  EXPECT_EQ(ScriptInt(shipped, "Core", "StartDisk"), 0);
  auto size = [&](const char* rel) { return int(fs::file_size(src_ / rel)); };
  EXPECT_EQ(ScriptInt(shipped, "Core", "ComponentSize"),
            size("bin/App.exe") + size("bin/App.cfg") + size("shared/Common.dll"));
  EXPECT_EQ(ScriptInt(shipped, "Core", "{InstallPath1}"),
            size("bin/App.exe") + size("bin/App.cfg"));
  EXPECT_EQ(ScriptInt(shipped, "Core", "{Windows}"), size("shared/Common.dll"));
  EXPECT_EQ(ScriptInt(shipped, "Data", "{InstallPath2}"), size("data/Table.bin"));
  EXPECT_EQ(ScriptInt(shipped, "Docs", "{Temp}"), 0);
  // The source script is left alone.
  EXPECT_EQ(ReadHost(src_ / "Packed.inf"), script_);

  // The package is the last entry and the disk header carries the build's time.
  const std::string& package = payload["Packed.0"];
  ASSERT_GE(package.size(), pkg::kDiskHeaderSize);
  auto header = pkg::DecodeDiskHeader(reinterpret_cast<const std::uint8_t*>(package.data()));
  EXPECT_TRUE(header.VersionIs50());
  EXPECT_TRUE(header.Compressed());
  EXPECT_EQ(header.created, 1700000000u);
  ExpectRoundTrip(exe, true, shipped);
}

TEST_F(VxpackTest, SpannedPackagesKeepEveryFileWithinTheDiskSize) {
  FakeEngine();
  for (const char* raw : {"", "--raw "}) {
    for (std::uint64_t diskSize : {8192u, 11000u, 30000u}) {
      SCOPED_TRACE(std::string(raw) + std::to_string(diskSize));
      fs::remove_all(root_ / "dist");
      Result r = Pack(std::string(raw) + "--engine engine --out dist --disk-size " +
                      std::to_string(diskSize) + " src/Packed.inf");
      ASSERT_EQ(r.status, 0) << r.err;
      int files = 0;
      for (const auto& entry : fs::directory_iterator(root_ / "dist")) {
        EXPECT_LE(fs::file_size(entry.path()), diskSize) << entry.path();
        ++files;
      }
      std::string shipped = Payload(root_ / "dist" / "Packed.exe")["Packed.inf"];
      EXPECT_EQ(ScriptInt(shipped, "<General>", "TotalDisks"), files);
      EXPECT_GT(files, 1);
      EXPECT_TRUE(fs::exists(root_ / "dist" / ("Packed." + std::to_string(files - 1))));
      ExpectRoundTrip(root_ / "dist" / "Packed.exe", true, shipped);
    }
  }
  // A later build with fewer disks leaves none of the old ones behind.
  Result r = Pack("--engine engine --out dist src/Packed.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(root_ / "dist" / "Packed.1"));
}

TEST_F(VxpackTest, DiskSizeTooSmallForTheProgramIsRefused) {
  FakeEngine();
  WriteHost(root_ / "engine" / "Install.exe", Noise(20000, 5));
  Result r = Pack("--engine engine --out dist --disk-size 9000 src/Packed.inf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("too small"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(root_ / "dist" / "Packed.exe"));
}

TEST_F(VxpackTest, FolderInstallationLaysOutFilesWhereTheLinesSay) {
  fs::path engine = FakeEngine();
  WriteHost(root_ / "Splash.bmp", Noise(300, 8));
  Result r = Pack("--folder --engine engine --out cd --splash Splash.bmp src/Packed.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  fs::path cd = root_ / "cd";
  for (const char* name : {"Install.exe", "Karvo.dll", "Halvik.exe"})
    EXPECT_EQ(ReadHost(cd / name), ReadHost(engine / name)) << name;
  EXPECT_FALSE(fs::exists(cd / "Extract.exe"));
  EXPECT_EQ(ReadHost(cd / "Install.ini"),
            "[<General>]\r\nProjectName=Packed\r\nSplashImg=Splash.bmp\r\n");
  EXPECT_EQ(ReadHost(cd / "$Temp" / "License.txt"), ReadHost(src_ / "$Temp" / "License.txt"));
  EXPECT_EQ(ReadHost(cd / "$Temp" / "Side.bmp"), ReadHost(src_ / "art" / "Side.bmp"));
  EXPECT_EQ(ReadHost(cd / "$Temp" / "Splash.bmp"), ReadHost(root_ / "Splash.bmp"));
  EXPECT_EQ(ReadHost(cd / "bin" / "App.exe"), ReadHost(src_ / "bin" / "App.exe"));
  EXPECT_EQ(ReadHost(cd / "BIN" / "App.cfg"), ReadHost(src_ / "bin" / "App.cfg"));
  EXPECT_EQ(ReadHost(cd / "data" / "Table.bin"), ReadHost(src_ / "data" / "Table.bin"));
  EXPECT_TRUE(fs::exists(cd / "docs" / "Empty.txt"));
  EXPECT_EQ(fs::last_write_time(cd / "docs" / "Guide.txt"),
            fs::last_write_time(src_ / "docs" / "Guide.txt"));

  // PROJECT.0 holds the disk header, which start-up opens and checks, and then the seal of
  // every file copied into the folder (not Install.ini and the script, which stay editable).
  std::string zero = ReadHost(cd / "Packed.0");
  std::vector<pkg::SealedFile> sealed;
  ASSERT_TRUE(pkg::DecodeFolderSeal(
      reinterpret_cast<const std::uint8_t*>(zero.data()) + pkg::kDiskHeaderSize,
      zero.size() - pkg::kDiskHeaderSize, &sealed));
  std::map<std::string, pkg::SealedFile> byName;
  for (const pkg::SealedFile& f : sealed) byName[f.name] = f;
  EXPECT_EQ(byName.count("Install.ini") + byName.count("Packed.inf"), 0u);
  const std::string app = ReadHost(src_ / "bin" / "App.exe");
  ASSERT_EQ(byName.count("bin\\App.exe"), 1u);
  EXPECT_EQ(byName["bin\\App.exe"].digest, Sha256Of(app.data(), app.size()));
  EXPECT_EQ(byName.count("$Temp\\License.txt"), 1u);
  auto header = pkg::DecodeDiskHeader(reinterpret_cast<const std::uint8_t*>(zero.data()));
  EXPECT_TRUE(header.VersionIs50());
  EXPECT_EQ(header.disk, 0);
  PackageState state;
  EXPECT_EQ(OpenPackageAtStartup(state, Machine::Current().FromOutside((cd / "Packed.0").string()),
                                 false),
            StartupOpen::Opened);

  std::string shipped = ReadHost(cd / "Packed.inf");
  EXPECT_EQ(ScriptInt(shipped, "<General>", "TotalDisks"), 1);
  EXPECT_EQ(ScriptInt(shipped, "Docs", "ComponentSize"),
            int(fs::file_size(src_ / "docs" / "Guide.txt")));
}

TEST_F(VxpackTest, MissingFileIsRefusedNamingItsScriptLine) {
  FakeEngine();
  fs::remove(src_ / "docs" / "Guide.txt");
  for (const char* layout : {"--sfx", "--folder"}) {
    Result r = Pack(std::string(layout) + " --engine engine --out dist src/Packed.inf");
    EXPECT_EQ(r.status, 1) << layout;
    EXPECT_NE(r.err.find("Packed.inf, [Docs] 0"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Guide.txt"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(root_ / "dist" / "Packed.exe"));
    EXPECT_FALSE(fs::exists(root_ / "dist" / "Packed.inf"));
  }
  fs::remove(src_ / "$Temp" / "License.txt");
  Result r = Pack("--engine engine --out dist src/Packed.inf");
  EXPECT_NE(r.err.find("[{Temp}] 0"), std::string::npos) << r.err;
}

TEST_F(VxpackTest, OutputIsTheSameForAnyThreadCountAndReproducible) {
  FakeEngine();
  // Enough data for several blocks per thread.
  AddFile(src_ / "data" / "Table.bin", Noise(150000, 6) + Lines(3000, "table"));
  ASSERT_EQ(Pack("--jobs 1 --engine engine --out one src/Packed.inf").status, 0);
  ASSERT_EQ(Pack("--jobs 2 --engine engine --out two src/Packed.inf").status, 0);
  ASSERT_EQ(Pack("--jobs 2 --engine engine --out again src/Packed.inf").status, 0);
  std::string one = ReadHost(root_ / "one" / "Packed.exe");
  ASSERT_FALSE(one.empty());
  EXPECT_TRUE(one == ReadHost(root_ / "two" / "Packed.exe"));
  EXPECT_TRUE(one == ReadHost(root_ / "again" / "Packed.exe"));

  ASSERT_EQ(
      Pack("--engine engine --out later src/Packed.inf", "SOURCE_DATE_EPOCH=1700000999").status, 0);
  std::string later = ReadHost(root_ / "later" / "Packed.exe");
  ASSERT_EQ(later.size(), one.size());
  EXPECT_FALSE(later == one);  // only the creation time differs
}

TEST_F(VxpackTest, UsageErrorsExitWithTwo) {
  FakeEngine();
  EXPECT_EQ(Pack("").status, 2);
  EXPECT_EQ(Pack("--jobs 0 src/Packed.inf").status, 2);
  EXPECT_EQ(Pack("--engine nowhere src/Packed.inf").status, 2);
  EXPECT_EQ(Pack("--engine engine src/Packed.inf", "SOURCE_DATE_EPOCH=yesterday").status, 2);
  Result r = Pack("--engine engine src/Nothing.inf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Nothing.inf"), std::string::npos);
}

// The script with one line changed, written beside the product's own; the number of the
// changed line.
int Variant(const std::string& script, const std::string& from, const std::string& to,
            const fs::path& path) {
  std::size_t at = script.find(from);
  EXPECT_NE(at, std::string::npos);
  if (at == std::string::npos) return 0;
  WriteHost(path, script.substr(0, at) + to + script.substr(at + from.size()));
  return int(std::count(script.begin(), script.begin() + at, '\n')) + 1;
}

TEST_F(VxpackTest, EveryBuildIsCheckedFirst) {
  FakeEngine();
  EXPECT_EQ(Pack("--check src/Packed.inf").status, 0);

  int warned =
      Variant(script_, "nItems=2\r\nInstallPath1", "nItem=2\r\nInstallPath1", src_ / "Warned.inf");
  EXPECT_EQ(Pack("--check src/Warned.inf").status, 0);
  EXPECT_EQ(Pack("--check --strict src/Warned.inf").status, 1);
  Result built = Pack("--engine engine --out warned src/Warned.inf");
  EXPECT_EQ(built.status, 0) << built.err;
  EXPECT_NE(built.err.find("src/Warned.inf:" + std::to_string(warned) + ": warning: \"nItem\""),
            std::string::npos)
      << built.err;
  EXPECT_TRUE(fs::exists(root_ / "warned" / "Packed.exe"));
  Result strict = Pack("--strict --engine engine --out strict src/Warned.inf");
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find(": error: \"nItem\""), std::string::npos) << strict.err;
  EXPECT_FALSE(fs::exists(root_ / "strict"));

  int flawed = Variant(script_, "0=Core | 0 | 1", "0=Coer | 0 | 1", src_ / "Flawed.inf");
  Result stopped = Pack("--folder --engine engine --out stopped src/Flawed.inf");
  EXPECT_EQ(stopped.status, 1);
  EXPECT_NE(stopped.err.find("src/Flawed.inf:" + std::to_string(flawed) + ": error: "),
            std::string::npos)
      << stopped.err;
  EXPECT_NE(stopped.err.find("1 error, 0 warnings"), std::string::npos) << stopped.err;
  EXPECT_FALSE(fs::exists(root_ / "stopped"));
}

TEST_F(VxpackTest, ExampleProductBuildsInBothLayouts) {
  fs::path example = fs::path(VX_SOURCE_DIR) / "examples" / "sample";
  std::string script = "'" + (example / "Sample.inf").string() + "'";
  std::string splash = "'" + (example / "splash" / "Splash.bmp").string() + "'";
  FakeEngine();
  Result sfx = Pack("--engine engine --out ex --splash " + splash + " " + script);
  ASSERT_EQ(sfx.status, 0) << sfx.err;
  auto payload = Payload(root_ / "ex" / "Sample.exe");
  EXPECT_EQ(order_.size(), 8u);
  EXPECT_EQ(ScriptInt(payload["Sample.inf"], "<General>", "TotalDisks"), 1);
  EXPECT_GT(ScriptInt(payload["Sample.inf"], "Sample Data", "{InstallPath2}"), 0);

  Result folder = Pack("--folder --engine engine --out excd " + script);
  ASSERT_EQ(folder.status, 0) << folder.err;
  EXPECT_TRUE(fs::exists(root_ / "excd" / "$Temp" / "License.txt"));
  EXPECT_TRUE(fs::exists(root_ / "excd" / "English.ini"));  // the locale file, beside the script
  EXPECT_TRUE(fs::exists(root_ / "excd" / "data" / "more" / "rivers.csv"));
}

}  // namespace
}  // namespace vx::test
