#include "extract/ExtractSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>

#include "engine/base/RunLockName.h"
#include "engine/files/PackedEntry.h"
#include "platform/Files.h"
#include "platform/NamedLock.h"
#include "platform/System.h"
#include "tests/extract/PayloadBuilder.h"
#include "tests/support/TestMachine.h"

namespace vx::extract {
namespace {

namespace fs = std::filesystem;
using test::BuildPayloadFile;
using test::Filler;
using test::PayloadEntry;

// Records what the dialog shows; answers questions from a queue (No when empty); presses
// Cancel once a chosen label has been shown.
class RecordingUi : public ExtractUi {
 public:
  void Open() override { opened = true; }
  void Close() override { closed = true; }
  void SetLabel(const std::string& text) override {
    labels.push_back(text);
    if (onLabel) onLabel(text);
    if (!cancelAtLabel.empty() && text == cancelAtLabel) pendingCancel = true;
  }
  void SetProgress(int position) override { positions.push_back(position); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void Beep() override { ++beeps; }
  bool TakeCancelClick() override { return std::exchange(pendingCancel, false); }
  bool CanWaitForUser() const override { return false; }

  bool opened = false, closed = false;
  std::vector<std::string> labels, messages, questions;
  std::vector<int> positions;
  std::deque<bool> answers;
  std::string cancelAtLabel;
  std::function<void(const std::string&)> onLabel;
  bool pendingCancel = false;
  int beeps = 0;
};

class ExtractSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = GetTempPath();
    ownPath_ = "C:\\Downloads\\Setup.exe";
  }

  // Writes the extractor file and runs a session on it.
  ExtractOutcome RunOn(const std::string& file, const std::string& arguments = {}) {
    machine_.WriteFile(ownPath_, file);
    ExtractEnvironment env;
    env.ownPath = ownPath_;
    env.tempFolder = temp_;
    env.commandLine = arguments;
    env.launch = [this](const std::string& folder, const std::string& line) {
      launches_.emplace_back(folder, line);
      return true;
    };
    env.scheduleDeletion = [this](const std::vector<std::string>& files) {
      scheduled_.insert(scheduled_.end(), files.begin(), files.end());
    };
    ExtractSession session(env, ui_);
    ExtractOutcome outcome = session.Run();
    total_ = session.ProgressTotal();
    return outcome;
  }

  bool InTemp(const std::string& name) const { return fs::exists(machine_.Host(temp_ + name)); }

  static std::vector<PayloadEntry> SevenEntries() {
    return {{"Setup.bmp", Filler(1500, 'a')},
            {"Install.exe", Filler(5000, 'b')},
            {"Karvo.dll", Filler(1024, 'c')},
            {"Halvik.exe", Filler(0, 'd')},
            {"Install.ini", "[<General>]\r\nProjectName=Sample\r\n"},
            {"Sample.inf", Filler(513, 'f')},
            {"package", Filler(3000, 'g')}};
  }

  test::TestMachine machine_;
  std::string temp_, ownPath_;
  RecordingUi ui_;
  std::vector<std::pair<std::string, std::string>> launches_;
  std::vector<std::string> scheduled_;
  std::int64_t total_ = 0;
};

TEST_F(ExtractSessionTest, SevenEntriesExtractSixFilesAndLaunchTheEngine) {
  auto entries = SevenEntries();
  std::string image = Filler(4096, 'x');
  ASSERT_EQ(RunOn(BuildPayloadFile(image, entries)), ExtractOutcome::Launched);

  std::vector<std::string> expectedTargets;
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
    EXPECT_EQ(machine_.ReadFile(temp_ + entries[i].name), entries[i].data) << entries[i].name;
    expectedTargets.push_back(temp_ + entries[i].name);
  }
  EXPECT_FALSE(InTemp("package"));
  EXPECT_EQ(scheduled_, expectedTargets);

  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].first, temp_);
  EXPECT_EQ(launches_[0].second, "Install.exe -e " + ownPath_);

  // The total counts entries 1..6 with their heads and the head of the package entry.
  std::int64_t expectedTotal = 7 * std::int64_t(pkg::kEntryHeadSize);
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) expectedTotal += entries[i].data.size();
  EXPECT_EQ(total_, expectedTotal);
  // The bar moves forwards, stays below 100 while copying, and only the launch fills it.
  ASSERT_GE(ui_.positions.size(), 2u);
  for (std::size_t i = 0; i + 1 < ui_.positions.size(); ++i) {
    EXPECT_LT(ui_.positions[i], 100);
    EXPECT_LE(ui_.positions[i], ui_.positions[i + 1]);
  }
  EXPECT_EQ(ui_.positions.back(), 100);

  ASSERT_FALSE(ui_.labels.empty());
  EXPECT_EQ(ui_.labels.front(), kTextExtracting);
  EXPECT_EQ(ui_.labels.back(), kTextStartInstall);
  EXPECT_NE(std::find(ui_.labels.begin(), ui_.labels.end(), temp_ + "Karvo.dll"), ui_.labels.end());
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(ui_.closed);
}

TEST_F(ExtractSessionTest, ArgumentsFollowTheOwnPathAfterABar) {
  ASSERT_EQ(RunOn(BuildPayloadFile("MZ", SevenEntries()), "-s C:\\answers.ini"),
            ExtractOutcome::Launched);
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].second, "Install.exe -e " + ownPath_ + " | -s C:\\answers.ini");
}

TEST_F(ExtractSessionTest, EntryCountsOutsideFiveToTenAreRefused) {
  for (std::uint32_t count : {4u, 11u}) {
    SCOPED_TRACE(count);
    ui_ = RecordingUi{};
    launches_.clear();
    std::vector<PayloadEntry> entries;
    for (std::uint32_t i = 0; i < count; ++i)
      entries.push_back({std::string("f").append(std::to_string(i)), "data"});
    EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Failed);
    EXPECT_EQ(ui_.messages, std::vector<std::string>{kTextWrongTool});
    EXPECT_EQ(ui_.beeps, 1);
    EXPECT_TRUE(ui_.questions.empty());  // the worker closes the dialog, nothing to confirm
    EXPECT_FALSE(InTemp("f0"));
    EXPECT_TRUE(launches_.empty());
  }
}

TEST_F(ExtractSessionTest, FiveAndTenEntriesAreAccepted) {
  for (std::uint32_t count : {5u, 10u}) {
    SCOPED_TRACE(count);
    launches_.clear();
    std::vector<PayloadEntry> entries;
    for (std::uint32_t i = 0; i < count; ++i)
      entries.push_back(
          {std::to_string(count).append("_").append(std::to_string(i)), Filler(700, 'q')});
    entries[0].name = "Install.exe";  // only an installer just written is started
    EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Launched);
    EXPECT_TRUE(InTemp(entries[count - 2].name));
    EXPECT_FALSE(InTemp(entries[count - 1].name));
  }
}

TEST_F(ExtractSessionTest, MissingOrTruncatedProgramFilesEndWithoutExtraction) {
  {
    ExtractEnvironment env;
    env.ownPath = "C:\\Downloads\\Gone.exe";
    env.tempFolder = temp_;
    bool launched = false;
    env.launch = [&](const std::string&, const std::string&) { return launched = true; };
    ExtractSession session(env, ui_);
    EXPECT_EQ(session.Run(), ExtractOutcome::Failed);
    EXPECT_EQ(ui_.messages, std::vector<std::string>{std::string(kTextOpenFailed) + env.ownPath});
    EXPECT_FALSE(launched);
  }
  ui_ = RecordingUi{};
  EXPECT_EQ(RunOn("short"), ExtractOutcome::Failed);  // fewer than 12 bytes
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].find("is damaged or cut short: the file is too short"),
            std::string::npos);
  EXPECT_TRUE(launches_.empty());
}

TEST_F(ExtractSessionTest, ASealedPayloadIsCheckedWholeBeforeAnythingIsWritten) {
  const std::string image = Filler(4096, 'x');
  const std::string sound = test::BuildSealedPayloadFile(image, SevenEntries());
  ASSERT_EQ(RunOn(sound), ExtractOutcome::Launched);
  EXPECT_FALSE(InTemp(pkg::kSealEntryName));  // the seal is never written out
  EXPECT_EQ(machine_.ReadFile(temp_ + "Install.exe"), SevenEntries()[1].data);
  EXPECT_EQ(scheduled_.size(), 6u);

  // A changed byte anywhere after the image, or a file cut short, writes nothing.
  const std::size_t installer = sound.find(Filler(5000, 'b'));
  const std::size_t package = sound.find(Filler(3000, 'g'));
  const std::size_t seal = image.size();
  struct Case {
    const char* what;
    std::string file;
    const char* why;
  };
  std::vector<Case> cases;
  auto flipped = [&](std::size_t at) {
    std::string f = sound;
    f[at] = char(f[at] ^ 0x04);
    return f;
  };
  cases.push_back({"installer", flipped(installer + 2500), "contents differ from the digest"});
  cases.push_back({"package", flipped(package + 2999), "contents differ from the digest"});
  cases.push_back({"entry count", flipped(sound.size() - 8), "trailer differs"});
  cases.push_back({"seal name", flipped(seal + 3), "digest record is damaged"});
  cases.push_back(
      {"seal digest", flipped(seal + pkg::kEntryHeadSize + 40), "digest record is damaged"});
  cases.push_back({"cut", sound.substr(0, sound.size() - 700), "cut short"});
  cases.push_back({"longer", sound + "x", "do not reach its end"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_ = RecordingUi{};
    launches_.clear();
    scheduled_.clear();
    fs::remove_all(machine_.Host(temp_));
    fs::create_directories(machine_.Host(temp_));
    EXPECT_EQ(RunOn(c.file), ExtractOutcome::Failed);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].find("The installer " + ownPath_ + " is damaged or cut short: "),
              std::string::npos)
        << ui_.messages[0];
    EXPECT_NE(ui_.messages[0].find(c.why), std::string::npos) << ui_.messages[0];
    EXPECT_TRUE(fs::is_empty(machine_.Host(temp_)));
    EXPECT_TRUE(scheduled_.empty());
    EXPECT_TRUE(launches_.empty());
  }
}

TEST_F(ExtractSessionTest, ASignatureAppendedAfterThePayloadIsLookedPast) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus);
    launches_.clear();
    std::string file = test::BuildSealedPayloadFile(test::PeImage(plus), SevenEntries());
    test::AppendPeCertificates(file, Filler(1000, 's'));
    EXPECT_EQ(RunOn(file), ExtractOutcome::Launched);
    EXPECT_EQ(machine_.ReadFile(temp_ + "Sample.inf"), SevenEntries()[5].data);
    EXPECT_EQ(launches_.size(), 1u);
  }
}

TEST_F(ExtractSessionTest, HostileEntryNamesAreRefusedAndNothingLandsOutsideTemp) {
  const std::vector<std::string> hostile = {"..\\escaped.txt",
                                            "sub\\..\\..\\escaped.txt",
                                            "C:\\escaped.txt",
                                            "\\escaped.txt",
                                            "/escaped.txt",
                                            "a/../../escaped.txt",
                                            "C:escaped.txt",
                                            "..",
                                            "",
                                            "...\\escaped.txt"};
  for (const std::string& name : hostile) {
    SCOPED_TRACE(name);
    ui_ = RecordingUi{};
    launches_.clear();
    scheduled_.clear();
    std::vector<PayloadEntry> entries = {
        {"first.txt", "one"}, {name, "evil"}, {"c", "c"}, {"d", "d"}, {"pkg", "p"}};
    EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Failed);
    EXPECT_EQ(ui_.messages, std::vector<std::string>{kTextCreateFailed + temp_ + name});
    EXPECT_TRUE(launches_.empty());
    // The file extracted before the refusal is still handed over for deletion.
    EXPECT_EQ(scheduled_, std::vector<std::string>{temp_ + "first.txt"});
  }
  EXPECT_FALSE(fs::exists(machine_.Host("C:\\escaped.txt")));
  EXPECT_FALSE(fs::exists(machine_.Host("C:\\Windows\\escaped.txt")));
  EXPECT_FALSE(fs::exists(machine_.Host("C:\\Downloads\\escaped.txt")));
}

TEST_F(ExtractSessionTest, SubfolderEntriesNeedTheFolderToExist) {
  std::vector<PayloadEntry> entries = {
      {"data\\in.txt", "inside"}, {"Install.exe", "b"}, {"c", "c"}, {"d", "d"}, {"pkg", "p"}};
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Failed);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kTextCreateFailed + temp_ + "data\\in.txt"});

  ui_ = RecordingUi{};
  ASSERT_TRUE(CreateDirectory(temp_ + "data"));
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Launched);
  EXPECT_EQ(machine_.ReadFile(temp_ + "data\\in.txt"), "inside");
}

TEST_F(ExtractSessionTest, LengthsBeyondTheFileFailWithoutCreatingAnEntry) {
  std::vector<PayloadEntry> entries = {
      {"a", "aaaa"}, {"big", Filler(2000, 'z')}, {"c", "c"}, {"d", "d"}, {"pkg", "p"}};
  std::string file = BuildPayloadFile("MZ", entries);
  // Claim more data for "big" than the file holds.
  std::size_t bigHead = 2 + pkg::kEntryHeadSize + 4;
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(file.data()) + bigHead + pkg::kEntryNameSize,
                 0x7FFFFFF0u);
  // The entries no longer lead to the package: refused as damaged before the first is written.
  EXPECT_EQ(RunOn(file), ExtractOutcome::Failed);
  EXPECT_FALSE(InTemp("a"));
  EXPECT_FALSE(InTemp("big"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].find("damaged or cut short"), std::string::npos);
  EXPECT_TRUE(launches_.empty());

  // Fewer entries than the count says: the heads run out, nothing is launched.
  ui_ = RecordingUi{};
  std::vector<PayloadEntry> few = {{"only1", "1"}, {"only2", "2"}};
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", few, 6)), ExtractOutcome::Failed);
  EXPECT_TRUE(InTemp("only2"));
  EXPECT_TRUE(launches_.empty());

  // A payload start beyond the file.
  ui_ = RecordingUi{};
  std::string moved = BuildPayloadFile("MZ", SevenEntries());
  pkg::WriteLe32(reinterpret_cast<std::uint8_t*>(moved.data()) + moved.size() - pkg::kTrailerSize,
                 0xFFFFFF00u);
  EXPECT_EQ(RunOn(moved), ExtractOutcome::Failed);
  EXPECT_TRUE(launches_.empty());
}

// Packed entries are written out as the files they hold; one that matches a file already in
// the temporary folder keeps that file; damaged packed data fails the entry and creates
// nothing under its name.
TEST_F(ExtractSessionTest, PackedEntriesAreUnpackedAndDamagedOnesFail) {
  const std::string engine = std::string(20000, 'E') + Filler(3000, 'k');
  auto packed = [](const std::string& file) {
    std::string out;
    EXPECT_TRUE(
        pkg::PackEntry({reinterpret_cast<const std::uint8_t*>(file.data()), file.size()}, &out));
    return out;
  };
  std::vector<PayloadEntry> entries = {{"Install.exe", packed(engine), true},
                                       {"Empty.dll", packed(""), true},
                                       {"c", "c"},
                                       {"d", "d"},
                                       {"pkg", "p"}};
  ASSERT_LT(entries[0].data.size(), engine.size());
  ASSERT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Launched);
  EXPECT_EQ(machine_.ReadFile(temp_ + "Install.exe"), engine);
  EXPECT_EQ(machine_.ReadFile(temp_ + "Empty.dll"), "");
  EXPECT_EQ(total_, std::int64_t(5 * pkg::kEntryHeadSize + entries[0].data.size() +
                                 entries[1].data.size() + 2));
  // Run again over the same files: they are the entries' files, so they stay as they are.
  FileId before, after;
  ASSERT_TRUE(GetFileIdOfPath(temp_ + "Install.exe", &before));
  launches_.clear();
  ASSERT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Launched);
  ASSERT_TRUE(GetFileIdOfPath(temp_ + "Install.exe", &after));
  EXPECT_EQ(before, after);

  for (const std::string& damaged :
       {entries[0].data.substr(0, entries[0].data.size() - 3), entries[0].data + "x",
        std::string("\xff\xff\xff\x7f") + "junk"}) {
    ui_ = RecordingUi{};
    launches_.clear();
    DeleteFile(temp_ + "Install.exe");  // from the run before, if any
    entries[0].data = damaged;
    EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Failed);
    EXPECT_FALSE(InTemp("Install.exe"));
    EXPECT_TRUE(launches_.empty());
  }
}

TEST_F(ExtractSessionTest, CancelAnsweredNoContinuesAndYesStopsAfterTheCurrentEntry) {
  auto entries = SevenEntries();
  ui_.cancelAtLabel = temp_ + "Install.exe";
  ui_.answers = {false};
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Launched);
  EXPECT_EQ(ui_.questions, std::vector<std::string>{kTextCancelQuestion});
  EXPECT_TRUE(InTemp("Sample.inf"));

  for (const auto& e : entries) fs::remove(machine_.Host(temp_ + e.name));
  ui_ = RecordingUi{};
  launches_.clear();
  scheduled_.clear();
  ui_.cancelAtLabel = temp_ + "Install.exe";
  ui_.answers = {true};
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Cancelled);
  EXPECT_TRUE(launches_.empty());
  // The entry being copied when Cancel was pressed is finished; no further entry starts.
  EXPECT_EQ(machine_.ReadFile(temp_ + "Install.exe"), entries[1].data);
  EXPECT_FALSE(InTemp("Karvo.dll"));
  EXPECT_EQ(scheduled_, (std::vector<std::string>{temp_ + "Setup.bmp", temp_ + "Install.exe"}));
}

TEST(LaunchCommandLineTest, OwnPathAloneOrWithArguments) {
  EXPECT_EQ(LaunchCommandLine("Z:\\d\\Setup.exe", ""), "Install.exe -e Z:\\d\\Setup.exe");
  EXPECT_EQ(LaunchCommandLine("Z:\\My Files\\Setup.exe", "-s Z:\\r.ini extra"),
            "Install.exe -e Z:\\My Files\\Setup.exe | -s Z:\\r.ini extra");
}

}  // namespace
}  // namespace vx::extract

namespace vx::extract {
namespace {

TEST_F(ExtractSessionTest, PlantedLinksAreReplacedAndABusyProductIsRefused) {
  const std::string outside = machine_.Dir() + "/outside";
  fs::create_directories(outside + "/kept");
  std::ofstream(outside + "/victim") << "precious";
  fs::create_directories(machine_.Host(temp_));
  fs::create_symlink(outside + "/victim", machine_.Host(temp_ + "Install.exe"));
  fs::create_symlink(outside + "/created", machine_.Host(temp_ + "Karvo.dll"));
  auto entries = SevenEntries();
  ASSERT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::Launched);
  EXPECT_EQ(machine_.ReadFile(temp_ + "Install.exe"), entries[1].data);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(machine_.Host(temp_ + "Karvo.dll"))));
  std::ifstream victim(outside + "/victim");
  std::string kept;
  victim >> kept;
  EXPECT_EQ(kept, "precious");
  EXPECT_FALSE(fs::exists(outside + "/created"));

  // A run of the same product holds its working copy: nothing is written, nothing started.
  auto busy = NamedLock::TryTake(WorkingCopyLockName(temp_ + "Sample.inf"));
  ASSERT_NE(busy, nullptr);
  ui_ = RecordingUi{};
  launches_.clear();
  machine_.WriteFile(temp_ + "Karvo.dll", "the running run's");
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::AnotherRun);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{kTextAnotherRun});
  EXPECT_EQ(machine_.ReadFile(temp_ + "Karvo.dll"), "the running run's");
  EXPECT_TRUE(launches_.empty());
  busy.reset();

  // An installer swapped for another file after it was written is not started.
  ui_ = RecordingUi{};
  ui_.onLabel = [this](const std::string& text) {
    if (text != kTextStartInstall) return;
    fs::remove(machine_.Host(temp_ + "Install.exe"));
    // Made at once, so that the file system may well reuse the removed file's number.
    machine_.WriteFile(temp_ + "Install.exe", "another program");
  };
  EXPECT_EQ(RunOn(BuildPayloadFile("MZ", entries)), ExtractOutcome::LaunchFailed);
  EXPECT_TRUE(launches_.empty());
}

}  // namespace
}  // namespace vx::extract
