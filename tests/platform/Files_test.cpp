#include "platform/Files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Machine.h"
#include "tests/support/TestMachine.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
 protected:
  FileHandle Open(const char* path, std::uint32_t access, std::uint32_t share,
                  Disposition d = Disposition::OpenExisting) {
    FileHandle h = CreateFile(path, access, share, d);
    if (h != kInvalidHandle) open_.push_back(h);
    return h;
  }
  void Close(FileHandle h) {
    std::erase(open_, h);
    EXPECT_TRUE(CloseHandle(h));
  }
  void TearDown() override {
    for (FileHandle h : open_) CloseHandle(h);
  }
  std::string Read(FileHandle h) {
    std::string out(4096, '\0');
    std::uint32_t got = 0;
    SetFilePointer(h, 0, SeekFrom::Begin);
    EXPECT_TRUE(ReadFile(h, out.data(), static_cast<std::uint32_t>(out.size()), &got));
    out.resize(got);
    return out;
  }

  test::TestMachine machine_;
  std::vector<FileHandle> open_;
};

TEST_F(Files, DispositionsAndTheirErrors) {
  EXPECT_EQ(Open("C:\\missing.txt", kGenericRead, kShareRead), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_EQ(Open("C:\\NoFolder\\x.txt", kGenericWrite, 0, Disposition::CreateAlways),
            kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  EXPECT_EQ(Open("Q:\\x.txt", kGenericRead, kShareRead), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  EXPECT_EQ(Open("C:\\Windows", kGenericRead, kShareRead), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);

  FileHandle h = Open("C:\\New.txt", kGenericWrite, 0, Disposition::CreateNew);
  ASSERT_NE(h, kInvalidHandle);
  std::uint32_t written = 0;
  ASSERT_TRUE(WriteFile(h, "hello world", 11, &written));
  EXPECT_EQ(written, 11u);
  Close(h);
  EXPECT_EQ(Open("c:\\new.TXT", kGenericWrite, 0, Disposition::CreateNew), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorFileExists);

  h = Open("C:\\new.txt", kGenericRead | kGenericWrite, 0, Disposition::OpenAlways);
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
  EXPECT_EQ(Read(h), "hello world");
  Close(h);

  h = Open("C:\\new.txt", kGenericWrite, 0, Disposition::CreateAlways);
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
  EXPECT_EQ(GetFileSize(h), 0);
  Close(h);
  EXPECT_EQ(machine_.ReadFile("C:\\New.txt"), "");
  EXPECT_FALSE(fs::exists(machine_.Host("C:\\") + "/new.txt"));  // the existing name was used

  EXPECT_EQ(Open("C:\\New.txt", kGenericRead, kShareRead, Disposition::TruncateExisting),
            kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
}

TEST_F(Files, ReadWriteSeekAndHandleChecks) {
  FileHandle h = Open("C:\\data.bin", kGenericRead | kGenericWrite, 0, Disposition::CreateAlways);
  ASSERT_NE(h, kInvalidHandle);
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, nullptr));
  EXPECT_EQ(SetFilePointer(h, -4, SeekFrom::End), 6);
  char buf[16] = {};
  std::uint32_t got = 0;
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), "6789");
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &got));  // at the end: success, nothing read
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(SetFilePointer(h, -1, SeekFrom::Begin), -1);
  EXPECT_EQ(SetFilePointer(h, 3, SeekFrom::Begin), 3);
  ASSERT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h), 3);
  EXPECT_TRUE(FlushFileBuffers(h));
  Close(h);

  // A closed or never-given handle is refused, never used.
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
  EXPECT_FALSE(ReadFile(h, buf, 1, &got));
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
  EXPECT_FALSE(WriteFile(0, "x", 1, nullptr));
  EXPECT_EQ(GetFileSize(kInvalidHandle), -1);

  // A handle does only what it was opened for.
  h = Open("C:\\data.bin", kGenericRead, kShareRead);
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_FALSE(WriteFile(h, "x", 1, nullptr));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(SetEndOfFile(h));
  Close(h);
  h = Open("C:\\data.bin", kGenericWrite, 0);
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_FALSE(ReadFile(h, buf, 1, &got));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  Close(h);
  EXPECT_EQ(machine_.ReadFile("C:\\data.bin"), "012");
}

TEST_F(Files, SharingBetweenHandlesOfOneProcess) {
  machine_.WriteFile("C:\\shared.txt", "content");
  const char* f = "C:\\shared.txt";

  FileHandle writer = Open(f, kGenericWrite, kShareNone);
  ASSERT_NE(writer, kInvalidHandle);
  EXPECT_EQ(Open(f, kGenericRead, kShareRead | kShareWrite), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  // Not even an overwrite: the refused open must not truncate the file first.
  EXPECT_EQ(Open(f, kGenericWrite, kShareRead | kShareWrite, Disposition::CreateAlways),
            kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_EQ(machine_.ReadFile(f), "content");
  Close(writer);

  FileHandle r1 = Open(f, kGenericRead, kShareRead);
  FileHandle r2 = Open(f, kGenericRead, kShareRead);
  EXPECT_NE(r1, kInvalidHandle);
  EXPECT_NE(r2, kInvalidHandle);
  // Readers that do not share writing keep writers out ...
  EXPECT_EQ(Open(f, kGenericWrite, kShareRead | kShareWrite), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  // ... and a new reader must share reading with them.
  EXPECT_EQ(Open(f, kGenericRead, kShareNone), kInvalidHandle);
  Close(r1);
  Close(r2);

  FileHandle loose = Open(f, kGenericRead, kShareRead | kShareWrite);
  ASSERT_NE(loose, kInvalidHandle);
  FileHandle w = Open(f, kGenericWrite, kShareRead | kShareWrite);
  EXPECT_NE(w, kInvalidHandle);
  // A reader that does not share writing cannot join a writer.
  EXPECT_EQ(Open(f, kGenericRead, kShareRead), kInvalidHandle);
}

// Runs `child` in a forked process; returns its exit status.
template <typename F>
int InChild(F child) {
  pid_t pid = fork();
  if (pid == 0) _exit(child());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST_F(Files, SharingBetweenProcesses) {
  machine_.WriteFile("C:\\locked.dat", "x");
  const char* f = "C:\\locked.dat";

  // The parent reads without sharing writing: the child can read but not write.
  FileHandle reader = Open(f, kGenericRead, kShareRead);
  ASSERT_NE(reader, kInvalidHandle);
  EXPECT_EQ(InChild([f] {
              FileHandle w = CreateFile(f, kGenericWrite, kShareRead, Disposition::OpenExisting);
              if (w != kInvalidHandle) return 1;
              if (GetLastError() != kErrorSharingViolation) return 2;
              FileHandle r = CreateFile(f, kGenericRead, kShareRead, Disposition::OpenExisting);
              return r == kInvalidHandle ? 3 : 0;
            }),
            0);
  Close(reader);

  // The child holds the file exclusively until told to let go.
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t pid = fork();
  if (pid == 0) {
    FileHandle h =
        CreateFile(f, kGenericRead | kGenericWrite, kShareNone, Disposition::OpenExisting);
    char c = h == kInvalidHandle ? '0' : '1';
    if (write(ready[1], &c, 1) != 1) _exit(1);
    if (read(release[0], &c, 1) != 1) _exit(1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, '1');
  EXPECT_EQ(Open(f, kGenericRead, kShareRead | kShareWrite | kShareDelete), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_FALSE(DeleteFile(f));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  ASSERT_EQ(write(release[1], "x", 1), 1);
  int status = 0;
  waitpid(pid, &status, 0);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
  // The lock went with the process.
  FileHandle after = Open(f, kGenericRead, kShareRead);
  EXPECT_NE(after, kInvalidHandle);
}

TEST_F(Files, DeleteAndMoveRespectDeleteSharing) {
  machine_.WriteFile("C:\\a.txt", "a");
  FileHandle h = Open("C:\\a.txt", kGenericRead, kShareRead);
  EXPECT_FALSE(DeleteFile("C:\\a.txt"));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_FALSE(MoveFile("C:\\a.txt", "C:\\b.txt"));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  Close(h);
  h = Open("C:\\a.txt", kGenericRead, kShareRead | kShareDelete);
  EXPECT_TRUE(MoveFile("C:\\a.txt", "C:\\b.txt"));
  Close(h);
  EXPECT_TRUE(DeleteFile("C:\\B.TXT"));
  EXPECT_FALSE(FileOrFolderExists("C:\\b.txt"));
  EXPECT_FALSE(DeleteFile("C:\\b.txt"));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  EXPECT_FALSE(DeleteFile("C:\\Windows"));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
}

TEST_F(Files, ReadOnlyHoldsEvenForRoot) {
  machine_.WriteFile("C:\\ro.txt", "keep");
  machine_.WriteFile("C:\\other.txt", "other");
  ASSERT_TRUE(SetFileAttributes("C:\\ro.txt", kAttrReadOnly));
  EXPECT_TRUE(GetFileAttributes("C:\\ro.txt") & kAttrReadOnly);
  EXPECT_EQ(fs::status(machine_.Host("C:\\ro.txt")).permissions() &
                (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
            fs::perms::none);

  EXPECT_EQ(Open("C:\\ro.txt", kGenericWrite, 0), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(Open("C:\\ro.txt", kGenericRead, kShareRead, Disposition::CreateAlways),
            kInvalidHandle);
  EXPECT_FALSE(DeleteFile("C:\\ro.txt"));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_FALSE(CopyFile("C:\\other.txt", "C:\\ro.txt", false));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  EXPECT_EQ(machine_.ReadFile("C:\\ro.txt"), "keep");
  FileHandle r = Open("C:\\ro.txt", kGenericRead, kShareRead);
  EXPECT_NE(r, kInvalidHandle);
  Close(r);

  ASSERT_TRUE(SetFileAttributes("C:\\ro.txt", kAttrNormal));
  EXPECT_EQ(GetFileAttributes("C:\\ro.txt"), kAttrNormal);
  EXPECT_TRUE(DeleteFile("C:\\ro.txt"));
}

TEST_F(Files, StoredAttributes) {
  machine_.WriteFile("C:\\plain.txt", "x");
  EXPECT_EQ(GetFileAttributes("C:\\plain.txt"), kAttrArchive);
  EXPECT_EQ(GetFileAttributes("C:\\Windows"), kAttrDirectory);
  EXPECT_EQ(GetFileAttributes("C:\\"), kAttrDirectory);
  EXPECT_EQ(GetFileAttributes("C:\\nothing"), kInvalidAttributes);
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);
  ASSERT_TRUE(SetFileAttributes("C:\\plain.txt", kAttrHidden | kAttrSystem | kAttrReadOnly));
  EXPECT_EQ(GetFileAttributes("C:\\plain.txt"), kAttrHidden | kAttrSystem | kAttrReadOnly);
  ASSERT_TRUE(SetFileAttributes("C:\\Windows", kAttrHidden));
  EXPECT_EQ(GetFileAttributes("C:\\Windows"), kAttrDirectory | kAttrHidden);
}

TEST_F(Files, RunningProgramIsInUse) {
  std::string host = machine_.Host("C:\\tool.exe");
  fs::copy_file("/bin/sleep", host);
  pid_t pid = fork();
  if (pid == 0) {
    execl(host.c_str(), "tool.exe", "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Wait until the program image is the copy (the exec has happened).
  std::string exe = "/proc/" + std::to_string(pid) + "/exe";
  for (int i = 0; i < 500; ++i) {
    std::error_code ec;
    if (fs::read_symlink(exe, ec) == host) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(Open("C:\\tool.exe", kGenericWrite, 0), kInvalidHandle);
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  EXPECT_FALSE(DeleteFile("C:\\tool.exe"));
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  FileHandle r = Open("C:\\tool.exe", kGenericRead, kShareRead);
  EXPECT_NE(r, kInvalidHandle);
  Close(r);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_TRUE(DeleteFile("C:\\tool.exe"));
}

TEST_F(Files, ProgramFilesMayBeRun) {
  auto executable = [&](const char* win) {
    return (fs::status(machine_.Host(win)).permissions() & fs::perms::owner_exec) !=
           fs::perms::none;
  };
  FileHandle h = Open("C:\\Setup.EXE", kGenericWrite, 0, Disposition::CreateNew);
  ASSERT_NE(h, kInvalidHandle);
  Close(h);
  h = Open("C:\\readme.txt", kGenericWrite, 0, Disposition::CreateNew);
  ASSERT_NE(h, kInvalidHandle);
  Close(h);
  EXPECT_TRUE(executable("C:\\Setup.EXE"));
  EXPECT_FALSE(executable("C:\\readme.txt"));
  // A copy that becomes a program can run; one that stays data does not.
  ASSERT_TRUE(SetFileAttributes("C:\\readme.txt", kAttrReadOnly));
  ASSERT_TRUE(CopyFile("C:\\readme.txt", "C:\\tool.bat", false));
  EXPECT_TRUE(executable("C:\\tool.bat"));
  EXPECT_TRUE(GetFileAttributes("C:\\tool.bat") & kAttrReadOnly);
  ASSERT_TRUE(CopyFile("C:\\readme.txt", "C:\\copy.txt", false));
  EXPECT_FALSE(executable("C:\\copy.txt"));

  // Host programs are told by their content, whatever their name.
  machine_.WriteFile("C:\\orbit",
                     "\x7f"
                     "ELF\x02\x01");
  machine_.WriteFile("C:\\run-me", "#!/bin/sh\n");
  machine_.WriteFile("C:\\notes", "#not a program\n");
  fs::permissions(machine_.Host("C:\\orbit"), fs::perms(0644));
  for (const char* f : {"C:\\orbit", "C:\\run-me", "C:\\notes"}) {
    EXPECT_TRUE(MarkIfHostProgram(f)) << f;
  }
  EXPECT_EQ(fs::status(machine_.Host("C:\\orbit")).permissions(), fs::perms(0755));
  EXPECT_TRUE(executable("C:\\run-me"));
  EXPECT_FALSE(executable("C:\\notes"));
  EXPECT_FALSE(MarkIfHostProgram("C:\\missing"));
  fs::permissions(machine_.Host("C:\\run-me"), fs::perms(0644));
  ASSERT_TRUE(CopyFile("C:\\run-me", "C:\\run-copy", false));
  EXPECT_TRUE(executable("C:\\run-copy"));

  // Through the handle that wrote it, before it is closed; a handle that cannot write refuses.
  h = Open("C:\\written", kGenericRead | kGenericWrite, 0, Disposition::CreateAlways);
  ASSERT_NE(h, kInvalidHandle);
  std::uint32_t put = 0;
  ASSERT_TRUE(WriteFile(h, "#!/bin/sh\n", 10, &put));
  EXPECT_TRUE(MarkIfHostProgram(h));
  Close(h);
  EXPECT_TRUE(executable("C:\\written"));
  h = Open("C:\\notes", kGenericRead, kShareRead);
  EXPECT_FALSE(MarkIfHostProgram(h));
  EXPECT_FALSE(MarkIfHostProgram(h, reinterpret_cast<const std::uint8_t*>("#!"), 2));
  Close(h);
  EXPECT_FALSE(executable("C:\\notes"));
  // Or by the first bytes its writer hands over, which alone decide.
  const std::uint8_t elf[] = {0x7F, 'E', 'L', 'F'};
  for (std::size_t size : {std::size_t{4}, std::size_t{3}}) {
    const std::string told = "C:\\told" + std::to_string(size);
    h = Open(told.c_str(), kGenericRead | kGenericWrite, 0, Disposition::CreateAlways);
    ASSERT_NE(h, kInvalidHandle);
    EXPECT_TRUE(MarkIfHostProgram(h, elf, size));
    Close(h);
    EXPECT_EQ(executable(told.c_str()), size == 4) << size;
  }
}

TEST_F(Files, TimesRoundTrip) {
  FileTime creation = FileTimeFromUnix(1000000000, 123456700);
  FileTime access = FileTimeFromUnix(1100000000, 0);
  FileTime write = FileTimeFromUnix(1200000000, 500);
  FileHandle h = Open("C:\\t.txt", kGenericWrite, 0, Disposition::CreateAlways);
  ASSERT_NE(h, kInvalidHandle);
  ASSERT_TRUE(SetFileTime(h, &creation, &access, &write));
  Close(h);

  h = Open("C:\\t.txt", kGenericRead, kShareRead);
  FileTime c, a, w;
  ASSERT_TRUE(GetFileTime(h, &c, &a, &w));
  EXPECT_EQ(a, access);
  EXPECT_EQ(w, write);
  // The creation time lives in an extended attribute: only where the host keeps them.
  if (setxattr(machine_.Host("C:\\t.txt").c_str(), "user.vx.probe", "1", 1, 0) == 0) {
    EXPECT_EQ(c, creation);
  }
  EXPECT_FALSE(SetFileTime(h, nullptr, nullptr, &write));  // needs write access
  EXPECT_EQ(GetLastError(), kErrorAccessDenied);
  Close(h);

  // Null pointers leave a time alone.
  FileTime later = FileTimeFromUnix(1300000000, 0);
  h = Open("C:\\t.txt", kGenericWrite, 0);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &later));
  ASSERT_TRUE(GetFileTime(h, nullptr, &a, &w));
  EXPECT_EQ(a, access);
  EXPECT_EQ(w, later);
  Close(h);
}

TEST_F(Files, CopyKeepsContentTimeAndReadOnly) {
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + 7);
  machine_.WriteFile("C:\\src.bin", big);
  FileTime old = FileTimeFromUnix(900000000, 0);
  FileHandle h = Open("C:\\src.bin", kGenericWrite, 0);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
  Close(h);
  ASSERT_TRUE(SetFileAttributes("C:\\src.bin", kAttrReadOnly));

  ASSERT_TRUE(CopyFile("C:\\SRC.BIN", "C:\\Program Files\\dst.bin", false));
  EXPECT_EQ(machine_.ReadFile("C:\\Program Files\\dst.bin"), big);
  EXPECT_TRUE(GetFileAttributes("C:\\Program Files\\dst.bin") & kAttrReadOnly);
  h = Open("C:\\Program Files\\dst.bin", kGenericRead, kShareRead);
  FileTime w;
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &w));
  EXPECT_EQ(w, old);
  Close(h);

  machine_.WriteFile("C:\\exists.bin", "old");
  EXPECT_FALSE(CopyFile("C:\\src.bin", "C:\\exists.bin", true));
  EXPECT_EQ(GetLastError(), kErrorFileExists);
  EXPECT_EQ(machine_.ReadFile("C:\\exists.bin"), "old");
  EXPECT_FALSE(CopyFile("C:\\missing.bin", "C:\\x.bin", false));
  EXPECT_EQ(GetLastError(), kErrorFileNotFound);

  // Onto itself: refused, and the file survives whole.
  machine_.WriteFile("C:\\self.txt", "self");
  EXPECT_FALSE(CopyFile("C:\\self.txt", "C:\\SELF.txt", false));
  EXPECT_EQ(machine_.ReadFile("C:\\self.txt"), "self");
}

TEST_F(Files, MoveRulesAndCaseOnlyRename) {
  machine_.WriteFile("C:\\one.txt", "1");
  machine_.WriteFile("C:\\two.txt", "2");
  EXPECT_FALSE(MoveFile("C:\\one.txt", "C:\\TWO.txt"));
  EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
  ASSERT_TRUE(MoveFile("C:\\one.txt", "C:\\ONE.TXT"));
  EXPECT_TRUE(fs::exists(machine_.Host("C:\\") + "/ONE.TXT"));
  EXPECT_FALSE(fs::exists(machine_.Host("C:\\") + "/one.txt"));
  EXPECT_FALSE(MoveFile("C:\\one.txt", "C:\\No\\Such\\x.txt"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  ASSERT_TRUE(CreateDirectory("C:\\Folder"));
  ASSERT_TRUE(MoveFile("C:\\folder", "C:\\Program Files\\Moved"));
  EXPECT_TRUE(fs::is_directory(machine_.Host("C:\\Program Files\\Moved")));
}

// Descriptors of this process still open on deleted entries under `root`.
int HeldDeleted(const std::string& root) {
  int n = 0;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const std::string target = fs::read_symlink(e.path(), ec).string();
    if (!ec && target.starts_with(root) && target.ends_with(" (deleted)")) ++n;
  }
  return n;
}

TEST_F(Files, DeletesLeaveNothingHeldOpen) {
  const std::string root = machine_.Host("C:\\");
  // True once nothing deleted is held any more (given 10 s).
  auto allClosed = [&root] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (HeldDeleted(root) != 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return HeldDeleted(root) == 0;
  };
  for (int i = 0; i < 300; ++i) machine_.WriteFile("C:\\d\\f" + std::to_string(i), "x");
  machine_.WriteFile("C:\\d\\sub\\f", "x");
  // The closing threads start here; once idle they hold no lock a forked child could need.
  ASSERT_TRUE(DeleteFile("C:\\d\\f0"));
  ASSERT_TRUE(allClosed());
  // A forked child has no share in its parent's closing: its own deletes close at once.
  EXPECT_EQ(InChild([&root] {
              return DeleteFile("C:\\d\\sub\\f") && RemoveDirectory("C:\\d\\sub") &&
                             HeldDeleted(root) == 0
                         ? 0
                         : 1;
            }),
            0);
  // More deletes at once than may wait to be closed.
  for (int i = 1; i < 300; ++i) ASSERT_TRUE(DeleteFile("C:\\d\\f" + std::to_string(i)));
  ASSERT_TRUE(RemoveDirectory("C:\\d"));
  EXPECT_TRUE(allClosed());
}

TEST_F(Files, FoldersCreateAndRemove) {
  EXPECT_TRUE(CreateDirectory("C:\\App"));
  EXPECT_FALSE(CreateDirectory("C:\\APP"));
  EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
  EXPECT_FALSE(CreateDirectory("C:\\Missing\\Sub"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);
  machine_.WriteFile("C:\\App\\f.txt", "x");
  EXPECT_FALSE(RemoveDirectory("C:\\app"));
  EXPECT_EQ(GetLastError(), kErrorDirNotEmpty);
  EXPECT_FALSE(RemoveDirectory("C:\\App\\f.txt"));
  EXPECT_EQ(GetLastError(), kErrorDirectory);
  ASSERT_TRUE(DeleteFile("C:\\App\\f.txt"));
  EXPECT_TRUE(RemoveDirectory("C:\\app"));
  EXPECT_FALSE(FileOrFolderExists("C:\\App"));
  // A drive root is never removed, even when empty on the host.
  EXPECT_FALSE(RemoveDirectory("C:\\"));
  EXPECT_TRUE(fs::is_directory(machine_.Host("C:\\")));
}

TEST_F(Files, LinksAreNeverFollowedOutOfATree) {
  std::string outside = machine_.Dir() + "/outside";
  fs::create_directories(outside);
  std::ofstream(outside + "/precious.txt") << "keep";
  ASSERT_TRUE(CreateDirectory("C:\\Tree"));
  fs::create_directory_symlink(outside, machine_.Host("C:\\Tree") + "/link");
  std::ofstream(machine_.Host("C:\\Tree") + "/target.txt") << "t";
  fs::create_symlink(machine_.Host("C:\\Tree") + "/target.txt",
                     machine_.Host("C:\\Tree") + "/filelink");

  std::uint32_t a = GetFileAttributes("C:\\Tree\\link");
  EXPECT_EQ(a & (kAttrReparsePoint | kAttrDirectory), kAttrReparsePoint);
  EXPECT_EQ(GetFileAttributes("C:\\Tree\\filelink") & (kAttrReparsePoint | kAttrDirectory),
            kAttrReparsePoint);
  FindData d;
  FindHandle f = FindFirstFile("C:\\Tree\\link*", &d);
  ASSERT_NE(f, kInvalidFind);
  EXPECT_EQ(d.attributes & (kAttrReparsePoint | kAttrDirectory), kAttrReparsePoint);
  FindClose(f);

  EXPECT_TRUE(RemoveDirectory("C:\\Tree\\link"));
  EXPECT_TRUE(DeleteFile("C:\\Tree\\filelink"));
  EXPECT_TRUE(fs::exists(outside + "/precious.txt"));
  EXPECT_TRUE(fs::exists(machine_.Host("C:\\Tree") + "/target.txt"));
}

TEST_F(Files, WritesNeverGoThroughALinkAndFreshFilesReplaceIt) {
  const std::string outside = machine_.Dir() + "/outside";
  fs::create_directories(outside);
  std::ofstream(outside + "/precious.txt") << "keep";
  ASSERT_TRUE(CreateDirectory("C:\\T"));
  const std::string t = machine_.Host("C:\\T");
  fs::create_symlink(outside + "/precious.txt", t + "/link.exe");
  fs::create_symlink(outside + "/nothing", t + "/dangling.txt");

  for (const char* name : {"C:\\T\\link.exe", "C:\\T\\dangling.txt"}) {
    SCOPED_TRACE(name);
    for (Disposition d :
         {Disposition::CreateAlways, Disposition::OpenAlways, Disposition::CreateNew,
          Disposition::OpenExisting, Disposition::TruncateExisting}) {
      EXPECT_EQ(CreateFile(name, kGenericWrite, kShareNone, d), kInvalidHandle);
    }
  }
  machine_.WriteFile("C:\\T\\src.txt", "source");
  EXPECT_FALSE(CopyFile("C:\\T\\src.txt", "C:\\T\\link.exe", false));
  // Reading still follows a link.
  FileHandle r = Open("C:\\T\\link.exe", kGenericRead, kShareRead);
  ASSERT_NE(r, kInvalidHandle);
  EXPECT_EQ(Read(r), "keep");
  Close(r);

  // A fresh file takes the name over: the link goes, its target stays as it was.
  FileHandle f = CreateFreshFile("C:\\T\\link.exe");
  ASSERT_NE(f, kInvalidHandle);
  Close(f);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(t + "/link.exe")));
  EXPECT_TRUE(CopyFileFresh("C:\\T\\src.txt", "C:\\T\\dangling.txt"));
  EXPECT_EQ(machine_.ReadFile("C:\\T\\dangling.txt"), "source");
  EXPECT_FALSE(fs::exists(outside + "/nothing"));
  // So does a stale read-only file; a folder does not.
  ASSERT_TRUE(SetFileAttributes("C:\\T\\dangling.txt", kAttrReadOnly));
  EXPECT_TRUE(CopyFileFresh("C:\\T\\src.txt", "C:\\T\\dangling.txt"));
  EXPECT_EQ(CreateFreshFile("C:\\T"), kInvalidHandle);
  std::ifstream in(outside + "/precious.txt");
  std::string kept;
  in >> kept;
  EXPECT_EQ(kept, "keep");
  // Nothing was created beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);

  // A file put in place in one step: the old one until then, the new one after.
  machine_.WriteFile("C:\\T\\new.txt", "new");
  machine_.WriteFile("C:\\T\\old.txt", "old");
  FileId before, moved;
  ASSERT_TRUE(GetFileIdOfPath("C:\\T\\new.txt", &before));
  ASSERT_TRUE(MoveFileReplacing("C:\\T\\new.txt", "C:\\T\\old.txt"));
  ASSERT_TRUE(GetFileIdOfPath("C:\\T\\old.txt", &moved));
  EXPECT_EQ(moved, before);
  EXPECT_EQ(machine_.ReadFile("C:\\T\\old.txt"), "new");
  machine_.WriteFile("C:\\T\\new.txt", "newer");
  ASSERT_TRUE(SetFileAttributes("C:\\T\\old.txt", kAttrReadOnly));
  EXPECT_FALSE(MoveFileReplacing("C:\\T\\new.txt", "C:\\T\\old.txt"));
  EXPECT_EQ(machine_.ReadFile("C:\\T\\old.txt"), "new");

  // Closed and moved at once: another handle that denies deleting still stops the move, and
  // the handle is closed either way.
  const std::uint32_t all = kShareRead | kShareWrite | kShareDelete;
  FileHandle w = Open("C:\\T\\part.txt", kGenericRead | kGenericWrite, all, Disposition::CreateNew);
  ASSERT_NE(w, kInvalidHandle);
  std::uint32_t put = 0;
  ASSERT_TRUE(WriteFile(w, "part", 4, &put));
  FileHandle other = Open("C:\\T\\part.txt", kGenericRead, kShareRead | kShareWrite);
  ASSERT_NE(other, kInvalidHandle);
  EXPECT_FALSE(CloseAndMoveFileReplacing(w, "C:\\T\\part.txt", "C:\\T\\done.txt"));
  EXPECT_EQ(GetLastError(), kErrorSharingViolation);
  std::erase(open_, w);
  EXPECT_FALSE(CloseHandle(w));
  EXPECT_EQ(machine_.ReadFile("C:\\T\\part.txt"), "part");
  EXPECT_EQ(GetFileAttributes("C:\\T\\done.txt"), kInvalidAttributes);
  Close(other);
  for (const char* target : {"C:\\T\\done.txt", "C:\\T\\DONE.TXT"}) {
    w = Open("C:\\T\\part.txt", kGenericWrite, all, Disposition::CreateAlways);
    ASSERT_NE(w, kInvalidHandle);
    ASSERT_TRUE(WriteFile(w, target, 13, &put));
    EXPECT_TRUE(CloseAndMoveFileReplacing(w, "C:\\T\\part.txt", target)) << target;
    std::erase(open_, w);
    EXPECT_FALSE(CloseHandle(w));
    EXPECT_EQ(machine_.ReadFile("C:\\T\\done.txt"), target);  // replaced in its own case
    EXPECT_EQ(GetFileAttributes("C:\\T\\part.txt"), kInvalidAttributes);
  }
}

std::vector<std::string> List(const std::string& pattern, std::uint32_t* error = nullptr) {
  std::vector<std::string> names;
  FindData d;
  FindHandle h = FindFirstFile(pattern, &d);
  if (h == kInvalidFind) {
    if (error) *error = GetLastError();
    return names;
  }
  do {
    names.push_back(d.name + ((d.attributes & kAttrDirectory) ? "/" : ""));
  } while (FindNextFile(h, &d));
  if (error) *error = GetLastError();
  EXPECT_TRUE(FindClose(h));
  return names;
}

TEST_F(Files, FindWithWildcards) {
  machine_.WriteFile("C:\\Dir\\b.TXT", "bb");
  machine_.WriteFile("C:\\Dir\\a.txt", "a");
  machine_.WriteFile("C:\\Dir\\c.dat", "c");
  machine_.WriteFile("C:\\Dir\\README", "r");
  ASSERT_TRUE(CreateDirectory("C:\\Dir\\Sub"));
  std::uint32_t err = 0;
  using V = std::vector<std::string>;
  EXPECT_EQ(List("C:\\dir\\*.*", &err),
            (V{"./", "../", "a.txt", "b.TXT", "c.dat", "README", "Sub/"}));
  EXPECT_EQ(err, kErrorNoMoreFiles);
  EXPECT_EQ(List("c:/DIR/*.txt"), (V{"a.txt", "b.TXT"}));
  EXPECT_EQ(List("C:\\Dir\\?.dat"), (V{"c.dat"}));
  EXPECT_EQ(List("C:\\Dir\\readme"), (V{"README"}));
  EXPECT_EQ(List("C:\\Dir\\*.zip", &err), V{});
  EXPECT_EQ(err, kErrorFileNotFound);
  EXPECT_EQ(List("C:\\NoDir\\*.*", &err), V{});
  EXPECT_EQ(err, kErrorPathNotFound);

  FindData d;
  FindHandle h = FindFirstFile("C:\\Dir\\b.txt", &d);
  ASSERT_NE(h, kInvalidFind);
  EXPECT_EQ(d.size, 2u);
  EXPECT_EQ(d.attributes, kAttrArchive);
  FindClose(h);
  EXPECT_FALSE(FindNextFile(h, &d));
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);

  // A drive root has no "." or "..", and a bare wildcard lists the current directory.
  std::vector<std::string> root = List("C:\\*");
  ASSERT_FALSE(root.empty());
  EXPECT_NE(root.front(), "./");
  ASSERT_TRUE(SetCurrentDirectory("C:\\Dir"));
  EXPECT_EQ(List("*.dat"), (V{"c.dat"}));
}

TEST_F(Files, DrivesAsWindowsShowsThem) {
  std::uint32_t mask = GetLogicalDrives();
  EXPECT_EQ(mask, (1u << 2) | (1u << 25));
  EXPECT_EQ(GetLogicalDriveStrings(), (std::vector<std::string>{"C:\\", "Z:\\"}));
  EXPECT_EQ(GetDriveType("C:\\"), DriveType::Fixed);
  EXPECT_EQ(GetDriveType("c:"), DriveType::Fixed);
  EXPECT_EQ(GetDriveType("Z:\\"), DriveType::Unknown);
  EXPECT_EQ(GetDriveType("Q:\\"), DriveType::NoRootDir);
  EXPECT_EQ(GetDriveType("C:\\Windows"), DriveType::NoRootDir);
  std::uint64_t freeBytes = 0, total = 0;
  ASSERT_TRUE(GetDiskFreeSpace("C:\\", &freeBytes, &total));
  EXPECT_GT(total, 0u);
  EXPECT_LE(freeBytes, total);
  EXPECT_FALSE(GetDiskFreeSpace("Q:\\", &freeBytes, &total));
  EXPECT_EQ(HostPathOf("C:\\Windows"), machine_.Host("C:\\Windows"));
  EXPECT_EQ(HostPathOf("Q:\\x"), "");
}

}  // namespace
}  // namespace vx
