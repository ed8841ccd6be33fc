// A damaged installer refused before it touches anything, runs that cannot have done their
// work ending as failures with their reason, and the faults a user meets told in words.
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "engine/files/PackageFormat.h"
#include "tests/e2e/E2eSupport.h"

namespace vx::test::e2e {
namespace {

using namespace std::chrono_literals;

// Every file under a host folder with its bytes (relative names), but those under `skip`.
std::map<std::string, std::string> Snapshot(const fs::path& root, const std::string& skip) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    const std::string name = fs::relative(it->path(), root).string();
    if (it->is_regular_file() && name.rfind(skip, 0) != 0) files[name] = ReadHost(it->path());
  }
  return files;
}

std::uint32_t Le32(const std::string& s, std::size_t at) {
  return pkg::ReadLe32(reinterpret_cast<const std::uint8_t*>(s.data() + at));
}

// Offsets of the package's records in a self-extractor (disk 0 only).
std::vector<std::size_t> Records(const std::string& exe) {
  const std::size_t length = Le32(exe, exe.size() - 4);
  const std::size_t start = exe.size() - pkg::kTrailerSize - length;
  std::vector<std::size_t> records;
  for (std::size_t at = start + pkg::kDiskHeaderSize; at + pkg::kRecordHeaderSize <= start + length;
       at += pkg::kRecordHeaderSize + Le32(exe, at + 16))
    records.push_back(at);
  return records;
}

// Offset of a payload entry's data.
std::size_t EntryData(const std::string& exe, const std::string& name) {
  std::size_t at = Le32(exe, exe.size() - pkg::kTrailerSize);
  for (std::uint32_t i = 0; i < Le32(exe, exe.size() - 8); ++i) {
    if (exe.compare(at, name.size() + 1, name.c_str(), name.size() + 1) == 0)
      return at + pkg::kEntryHeadSize;
    at += pkg::kEntryHeadSize + Le32(exe, at + pkg::kEntryNameSize);
  }
  return std::string::npos;
}

// A small file system mounted over a host folder for the test's life; not every machine
// lets a test mount one.
class FullDisk {
 public:
  FullDisk(const fs::path& at, const char* size) : at_(at) {
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
  }
  ~FullDisk() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }

 private:
  fs::path at_;
  bool mounted_ = false;
};

class Integrity : public E2eTest {
 protected:
  static std::string Reason(const Outcome& run) {
    std::size_t at = run.err.find("Install.exe: the run failed: ");
    if (at == std::string::npos) return "(no reason line)";
    return run.err.substr(at, run.err.find('\n', at) - at);
  }
  std::string DemoResponse(const std::vector<int>& selected = {0, 1}) {
    return Response(selected, {"C:\\Program Files\\Demo", "C:\\DemoData"});
  }
  // Runs `bytes` as C:\bad\Demo.exe and expects it refused with nothing else on the machine
  // changed.
  void ExpectRefused(const std::string& what, const std::string& bytes,
                     const std::string& response) {
    SCOPED_TRACE(what);
    fs::remove_all(Host("C:\\bad"));
    const auto before = Snapshot(Host("C:\\"), "bad");
    WriteHost(Host("C:\\bad\\Demo.exe"), bytes);
    ::chmod(Host("C:\\bad\\Demo.exe").c_str(), 0755);
    Outcome run = RunWin("C:\\bad\\Demo.exe", {"-s", response}, {"VX_WAIT=1"});
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_NE(run.err.find("The installer C:\\bad\\Demo.exe is damaged or cut short: "),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(Snapshot(Host("C:\\"), "bad") == before) << "the machine changed";
    ExpectDemoGone();
  }
};

TEST_F(Integrity, DamagedOrCutInstallersAreRefusedBeforeAnythingIsWritten) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  ASSERT_EQ(Pack(Demo(), "C:\\raw", {"--raw"}).status, 0);
  const std::string good = Read("C:\\dist\\Demo.exe");
  const std::string raw = Read("C:\\raw\\Demo.exe");
  // Signing tools need not pad what vxpack writes.
  EXPECT_EQ(good.size() % 8, 0u);
  const std::string response = DemoResponse({0, 1, 2});
  const std::vector<std::size_t> records = Records(good);
  ASSERT_GE(records.size(), 4u);

  std::string bad = good;
  bad[records.back() + pkg::kRecordHeaderSize + 30] ^= 0x01;
  ExpectRefused("compressed data", bad, response);

  // Flips spread over the whole payload of a build without compression.
  const std::size_t payload = Le32(raw, raw.size() - pkg::kTrailerSize);
  for (int k = 0; k < 8; ++k) {
    bad = raw;
    bad[payload + (raw.size() - payload) * k / 8 + 7] ^= 0x20;
    ExpectRefused("raw build, flip " + std::to_string(k), bad, response);
  }

  // Two whole records change places: every record still reads well.
  bad = good;
  const std::size_t a = records[1], b = records[2], c = records[3];
  bad.replace(a, c - a, good.substr(b, c - b) + good.substr(a, b - a));
  ASSERT_NE(bad, good);
  ExpectRefused("swapped records", bad, response);

  bad = good;
  const std::size_t engine = EntryData(good, "Install.exe");
  ASSERT_NE(engine, std::string::npos);
  bad[engine + 5000] ^= 0x40;
  ExpectRefused("patched Install.exe", bad, response);

  ExpectRefused("cut at the end", good.substr(0, good.size() - 1000), response);
  ExpectRefused("cut in half", CutHalfwayThroughPayload(good), response);
}

TEST_F(Integrity, ADamagedDiskOfASpannedPackageIsRefusedBeforeAnyComponent) {
  DemoSources();
  Product big = Demo();
  Source("data/Big.bin", Noise(400000, 20), kDataTime);
  big.components[2].items.push_back("Big.bin | {InstallPath2} | data | 0");
  ASSERT_EQ(Pack(big, "C:\\dist", {"--disk-size", std::to_string(DiskSizeWithRoom(200000))}).status,
            0);
  std::string disk = Read("C:\\dist\\Demo.1");
  ASSERT_GT(disk.size(), 100000u);
  disk[disk.size() / 2] ^= 0x08;
  WriteHost(Host("C:\\dist\\Demo.1"), disk);
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse({0, 1, 2})}, {"VX_WAIT=1"});
  EXPECT_EQ(run.status, 10) << run.err;
  EXPECT_EQ(Reason(run),
            "Install.exe: the run failed: The installer C:\\dist\\Demo.exe is damaged or cut "
            "short: its disk 2, C:\\dist\\Demo.1, differs from the digest recorded when it "
            "was built. Nothing was installed; please get a new copy of it.");
  ExpectDemoGone();
}

TEST_F(Integrity, AResponseFileThatAnswersNothingFailsWithItsReason) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  struct Case {
    const char* text;
    const char* why;
  };
  const Case cases[] = {
      {nullptr, " is missing"},
      {"Component1=1\r\n", " has no [ResponseFile] section: it answers nothing"},
      {"[ResponseFile]\r\nComponent1=1\r\n[responsefile]\r\nComponent2=1\r\n",
       " has 2 [ResponseFile] sections: only one may give the answers"},
      {"[ResponseFile]\r\n; nothing\r\n", " gives no answer in its [ResponseFile] section"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const fs::path file = Work() / ("answers" + std::to_string(++n) + ".ini");
    if (c.text) WriteHost(file, c.text);
    Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", file.string()}, {"VX_WAIT=1"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string named = "the response file Z:" + file.string() + c.why;
    std::string reason = Reason(run);
    std::replace(reason.begin(), reason.end(), '\\', '/');
    EXPECT_NE(reason.find(named), std::string::npos) << Reason(run);
    ExpectDemoGone();
  }
}

TEST_F(Integrity, ABootDuringARunIsRefusedAndAVanishedWorkingCopyFailsTheRun) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  const fs::path log = Work() / "run.log";
  auto run = std::async(std::launch::async, [&] {
    return RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse()},
                  {"VX_WAIT=1", "VX_PACE=1", "VX_LOG=" + log.string()});
  });
  // Once the engine installs, the machine is not restarted under it.
  for (int i = 0;
       i < 600 && ReadHost(log).find("phase: installing the components") == std::string::npos; ++i)
    std::this_thread::sleep_for(50ms);
  Outcome boot = Vxmachine({"boot"});
  EXPECT_EQ(boot.status, 4) << boot.err;
  EXPECT_NE(boot.err.find("refused: an installation or uninstallation is running"),
            std::string::npos);
  // The working copy goes while the install thread waits before its first component.
  fs::remove(Host("C:\\Windows\\Temp\\Demo.inf"));
  Outcome done = run.get();
  EXPECT_EQ(done.status, 1) << done.err;
  EXPECT_EQ(Reason(done),
            "Install.exe: the run failed: the working copy of the install script, "
            "C:\\Windows\\Temp\\Demo.inf, vanished during the run");
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, std::string(kUninstallKey) + "Demo Product"));
  EXPECT_EQ(Vxmachine({"boot"}).status, 0);
}

TEST_F(Integrity, FullDisksAreToldAsSuch) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  {
    FullDisk temp(Host("C:\\Windows\\Temp"), "64k");
    if (!temp.Mounted()) GTEST_SKIP() << "this machine does not let the test mount a small disk";
    Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse()}, {"VX_WAIT=1"});
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_NE(run.err.find("Failed to write file C:\\Windows\\Temp\\"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(": There is not enough space on the disk."), std::string::npos)
        << run.err;
  }
  FullDisk data(Host("C:\\DemoData"), "4k");
  Outcome run = RunWin("C:\\dist\\Demo.exe", {"-s", DemoResponse({0, 1, 2})}, {"VX_WAIT=1"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Reason(run),
            "Install.exe: the run failed: component Extras: cannot write "
            "C:\\DemoData\\Data.bin: There is not enough space on the disk.");
}

}  // namespace
}  // namespace vx::test::e2e

namespace vx::test::e2e {
namespace {

TEST_F(Integrity, TwoProductsAtOnceEachInstall) {
  DemoSources();
  Product other = Demo();
  other.project = "Other";
  other.product = "Other Product";
  other.destinations = {"{ProgramFiles}\\Other", "C:\\OtherData"};
  // The temporary folder is shared: what each product unpacks there is its own.
  other.temp = {"OtherReadme.txt"};
  Source("$Temp/OtherReadme.txt", "other");
  for (Component& c : other.components) {
    for (std::string& item : c.items)
      if (item.find("Common.dll") != std::string::npos) item.clear();
    c.items.erase(std::remove(c.items.begin(), c.items.end(), std::string()), c.items.end());
    c.icons.clear();
  }
  ASSERT_EQ(Pack(Demo(), "C:\\dist").status, 0);
  ASSERT_EQ(Pack(other, "C:\\other").status, 0);
  const std::string demoAnswers = DemoResponse();
  const std::string otherAnswers = Response({0, 1}, {"C:\\Program Files\\Other", "C:\\OtherData"});
  for (int round = 0; round < 3; ++round) {
    auto a = std::async(std::launch::async, [&] {
      return RunWin("C:\\dist\\Demo.exe", {"-s", demoAnswers}, {"VX_WAIT=1"});
    });
    auto b = std::async(std::launch::async, [&] {
      return RunWin("C:\\other\\Other.exe", {"-s", otherAnswers}, {"VX_WAIT=1"});
    });
    Outcome first = a.get(), second = b.get();
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(second.status, 0) << second.err;
  }
  EXPECT_TRUE(Exists("C:\\Program Files\\Demo\\App.exe"));
  EXPECT_TRUE(Exists("C:\\Program Files\\Other\\App.exe"));
}

}  // namespace
}  // namespace vx::test::e2e

namespace vx::test::e2e {
namespace {

TEST_F(Integrity, ConcurrentUninstallsOfOneProductEachRunOrAreRefusedInWords) {
  DemoSources();
  Install(Demo(), {0, 1});
  const std::string folder = "C:\\Program Files\\Demo\\";
  const std::string removeShared = Answers({"yes"});
  std::vector<std::future<Outcome>> runs;
  for (int i = 0; i < 20; ++i)
    runs.push_back(std::async(std::launch::async, [&] {
      return RunWin(folder + "Install.exe", {"-f", folder + "Demo.inf"},
                    {"VX_WAIT=1", removeShared});
    }));
  int removed = 0;
  for (auto& run : runs) {
    Outcome o = run.get();
    EXPECT_EQ(o.err.find("(error "), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("could not be started"), std::string::npos) << o.err;
    if (o.status == 0)
      ++removed;
    else
      EXPECT_TRUE(o.status == 5 || o.status == 14 || o.status == 1) << o.status << o.err;
    if (o.status != 0) {
      EXPECT_FALSE(o.err.empty()) << "a refusal says why";
    }
  }
  EXPECT_GE(removed, 1);
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e

namespace vx::test::e2e {
namespace {

TEST_F(Integrity, AFolderInstallationChecksEveryFileBeforeItCopiesOne) {
  DemoSources();
  ASSERT_EQ(Pack(Demo(), "C:\\cd", {"--folder"}).status, 0);
  const std::string response = DemoResponse({0, 1, 2});
  const std::string guide = Read("C:\\cd\\docs\\Guide.txt");
  std::string changed = guide;
  changed[changed.size() / 2] ^= 0x01;
  WriteHost(Host("C:\\cd\\docs\\Guide.txt"), changed);
  Outcome run = RunWin("C:\\cd\\Install.exe", {"-s", response});
  EXPECT_EQ(run.status, 10) << run.err;
  EXPECT_EQ(Reason(run),
            "Install.exe: the run failed: The installer C:\\cd\\ is damaged or cut short: the "
            "file C:\\cd\\docs\\Guide.txt differs from the digest recorded when it was "
            "built. Nothing was installed; please get a new copy of it.");
  ExpectDemoGone();

  WriteHost(Host("C:\\cd\\docs\\Guide.txt"), guide);
  std::string disk = Read("C:\\cd\\Demo.0");
  disk[disk.size() - 40] ^= 0x02;
  WriteHost(Host("C:\\cd\\Demo.0"), disk);
  run = RunWin("C:\\cd\\Install.exe", {"-s", response});
  EXPECT_EQ(run.status, 10) << run.err;
  EXPECT_NE(Reason(run).find("its first disk, C:\\cd\\Demo.0, is damaged"), std::string::npos)
      << run.err;
  ExpectDemoGone();
}

}  // namespace
}  // namespace vx::test::e2e
