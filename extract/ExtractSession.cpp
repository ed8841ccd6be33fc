#include "extract/ExtractSession.h"

#include <algorithm>
#include <array>

#include "engine/base/RunLockName.h"
#include "engine/files/PackageFormat.h"
#include "engine/files/PackedEntry.h"
#include "engine/files/PayloadSeal.h"
#include "extract/EntryName.h"
#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "platform/WinPath.h"

namespace vx::extract {

std::string LaunchCommandLine(const std::string& ownPath, const std::string& arguments) {
  // No fixed-size buffer: a long path or argument list is passed on whole, never cut.
  std::string line = "Install.exe -e " + ownPath;
  if (!arguments.empty()) line += " | " + arguments;
  return line;
}

ExtractSession::ExtractSession(ExtractEnvironment env, ExtractUi& ui)
    : env_(std::move(env)), ui_(ui) {}

ExtractSession::~ExtractSession() {
  queue_.Close();
  go_.Set();
  if (worker_.joinable()) worker_.join();
  ReleaseInstaller();
}

void ExtractSession::ReleaseInstaller() {
  if (installerHeld_ != kInvalidHandle) CloseHandle(installerHeld_);
  installerHeld_ = kInvalidHandle;
}

ExtractOutcome ExtractSession::Run() {
  queue_.BindToCurrentThread();
  OnOpen();
  while (!closed_) {
    // One message at a time, so that a press of Cancel is seen before the worker's next one.
    queue_.Pump(50, 1);
    if (!closed_ && ui_.TakeCancelClick()) OnCancel();
  }
  ui_.Close();
  // The closed queue refuses the worker's next message, so it stops at its next block.
  go_.Set();
  if (worker_.joinable()) worker_.join();
  return outcome_;
}

void ExtractSession::OnOpen() {
  ui_.Open();
  ui_.SetLabel(kTextExtracting);
  worker_ = std::thread([this] { Worker(); });
}

void ExtractSession::OnBytesDone(std::uint32_t bytes) {
  std::int64_t done = progressDone_ += bytes;
  std::int64_t total = progressTotal_;
  // A hostile trailer can make the total zero or negative; the bar then stays full.
  std::int64_t position = total > 0 ? done * 100 / total : 100;
  ui_.SetProgress(int(std::clamp<std::int64_t>(position, 1, 100)));
}

void ExtractSession::OnFinished() {
  if (closed_ || stop_) return;  // the user chose to cancel first
  ui_.SetProgress(100);
  // The installer takes the lock itself as it starts.
  locks_.clear();
  // Only the file just written may run: not a link or another file put under its name since.
  FileId now;
  bool same = installerWritten_ && GetFileIdOfPath(env_.tempFolder + "Install.exe", &now) &&
              now == installer_;
  if (!same) SetLastError(kErrorAccessDenied);
  // The engine would check the payload again before it reads any of it.
  if (same) SetEnvironmentVariable(pkg::kSealWitnessVariable, sealWitness_);
  bool started = same && env_.launch &&
                 env_.launch(env_.tempFolder, LaunchCommandLine(env_.ownPath, env_.commandLine));
  ReleaseInstaller();
  done_ = true;
  CloseDialog(started ? ExtractOutcome::Launched : ExtractOutcome::LaunchFailed);
}

void ExtractSession::OnCancel() {
  if (closed_) return;
  if (done_) {
    CloseDialog(ExtractOutcome::Failed);
    return;
  }
  go_.Reset();  // the worker pauses before its next entry
  bool yes = ui_.AskYesNo(kTextCancelQuestion);
  // The stop flag goes up before the worker may run again, so that it takes no new entry.
  if (yes) stop_ = 1;
  go_.Set();
  if (!yes) return;
  std::uint32_t start = GetTickCount();
  // Keep serving the worker's messages meanwhile: it may be waiting in one of them.
  while (!workerEnded_ && GetTickCount() - start < kCancelWaitMs) queue_.Pump(20);
  CloseDialog(ExtractOutcome::Cancelled);
}

void ExtractSession::CloseDialog(ExtractOutcome outcome) {
  if (closed_) return;
  closed_ = true;
  outcome_ = outcome;
  queue_.Close();
}

void ExtractSession::EndEarly() {
  queue_.Post([this] {
    done_ = true;
    OnCancel();
  });
}

bool ExtractSession::CopyEntry(FileHandle source, FileHandle target, std::uint32_t length) {
  std::array<std::uint8_t, kCopyBlock> block;
  std::uint32_t left = length;
  while (left > 0) {
    std::uint32_t want = std::min<std::uint32_t>(kCopyBlock, left);
    std::uint32_t got = 0;
    if (!ReadFile(source, block.data(), want, &got) || got == 0) return false;
    std::uint32_t written = 0;
    SetLastError(kErrorSuccess);
    if (!WriteFile(target, block.data(), got, &written) || written != got) {
      // A short write without an error code is a full disk.
      writeError_ = GetLastError() != kErrorSuccess ? GetLastError() : kErrorDiskFull;
      return false;
    }
    left -= got;
    if (!Dialog([this, got] { OnBytesDone(got); })) return false;
  }
  return true;
}

namespace {

// A packed entry's file: read whole and unpacked. False when the data is damaged.
bool ReadPacked(FileHandle own, std::uint32_t length, std::vector<std::uint8_t>* file) {
  if (length > pkg::kMaxPackedLength) return false;  // packed only when it shrinks
  std::vector<std::uint8_t> packed(length);
  std::uint32_t got = 0;
  return ReadFile(own, packed.data(), length, &got) && got == length &&
         pkg::UnpackEntry(packed, file);
}

}  // namespace

bool ExtractSession::WriteBytes(FileHandle target, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const auto want = std::uint32_t(std::min<std::size_t>(kCompareBlock, bytes.size() - done));
    std::uint32_t written = 0;
    SetLastError(kErrorSuccess);
    if (!WriteFile(target, bytes.data() + done, want, &written) || written != want) {
      writeError_ = GetLastError() != kErrorSuccess ? GetLastError() : kErrorDiskFull;
      return false;
    }
    done += want;
  }
  return true;
}

bool ExtractSession::HoldIfHolds(const std::string& target, const std::vector<std::uint8_t>& bytes,
                                 FileHandle* held) {
  FileHandle h = CreateFile(target, kGenericRead, kShareRead, Disposition::OpenExisting);
  bool same = h != kInvalidHandle && !(GetFileAttributes(target) & kAttrReparsePoint) &&
              GetFileSize(h) == std::int64_t(bytes.size());
  std::array<std::uint8_t, kCompareBlock> theirs;
  for (std::size_t done = 0; same && done < bytes.size();) {
    const auto want = std::uint32_t(std::min<std::size_t>(kCompareBlock, bytes.size() - done));
    std::uint32_t got = 0;
    same = ReadFile(h, theirs.data(), want, &got) && got == want &&
           std::equal(theirs.begin(), theirs.begin() + want, bytes.begin() + std::ptrdiff_t(done));
    done += want;
  }
  if (same) {
    *held = h;
    return true;
  }
  if (h != kInvalidHandle) CloseHandle(h);
  return false;
}

bool ExtractSession::HoldIfSame(FileHandle own, const std::string& target, std::uint32_t length,
                                FileHandle* held) {
  const std::int64_t start = SetFilePointer(own, 0, SeekFrom::Current);
  FileHandle h = CreateFile(target, kGenericRead, kShareRead, Disposition::OpenExisting);
  bool same = h != kInvalidHandle && !(GetFileAttributes(target) & kAttrReparsePoint) &&
              GetFileSize(h) == std::int64_t(length);
  std::array<std::uint8_t, kCompareBlock> mine, theirs;
  for (std::uint32_t left = length; same && left > 0;) {
    const std::uint32_t want = std::min<std::uint32_t>(kCompareBlock, left);
    std::uint32_t a = 0, b = 0;
    same = ReadFile(own, mine.data(), want, &a) && a == want &&
           ReadFile(h, theirs.data(), want, &b) && b == want &&
           std::equal(mine.begin(), mine.begin() + want, theirs.begin());
    left -= want;
  }
  if (same) {
    *held = h;
    return true;
  }
  if (h != kInvalidHandle) CloseHandle(h);
  SetFilePointer(own, start, SeekFrom::Begin);
  return false;
}

bool ExtractSession::ClaimScripts(FileHandle own, std::int64_t dataEnd, std::uint32_t entries) {
  const std::int64_t start = SetFilePointer(own, 0, SeekFrom::Current);
  std::int64_t position = start;
  bool free = true;
  // Until the engine takes over, a restart would delete the files being written.
  if (auto alive = NamedLock::TryTakeShared(kRunAliveLockName)) locks_.push_back(std::move(alive));
  // Every entry but the last (the package) is written out; a broken walk claims what it saw,
  // and the extraction itself then fails at the same place.
  for (std::uint32_t i = 0; i + 1 < entries && free; ++i) {
    std::array<std::uint8_t, pkg::kEntryHeadSize> headBytes{};
    std::uint32_t got = 0;
    if (dataEnd - position < std::int64_t(pkg::kEntryHeadSize) ||
        !ReadFile(own, headBytes.data(), pkg::kEntryHeadSize, &got) || got != pkg::kEntryHeadSize)
      break;
    const pkg::EntryHead head = pkg::DecodeEntryHead(headBytes.data());
    position += pkg::kEntryHeadSize;
    if (std::int64_t(head.length) > dataEnd - position) break;
    position += head.length;
    if (SetFilePointer(own, position, SeekFrom::Begin) != position) break;
    const std::string& name = head.name;
    if (name.size() > 4 && winpath::EqualsNoCase(name.substr(name.size() - 4), ".inf") &&
        IsSafeEntryName(name)) {
      auto lock = NamedLock::TryTake(WorkingCopyLockName(env_.tempFolder + name));
      if (lock)
        locks_.push_back(std::move(lock));
      else
        free = false;
    }
  }
  SetFilePointer(own, start, SeekFrom::Begin);
  return free;
}

void ExtractSession::Worker() {
  bool success = false;
  auto end = [&] {
    workerSucceeded_ = success;
    workerEnded_ = true;
    // Without anyone to press Cancel after a failure, the dialog closes by itself.
    queue_.Post([this] {
      if (!workerSucceeded_ && !done_ && !stop_ && !ui_.CanWaitForUser())
        CloseDialog(ExtractOutcome::Failed);
    });
  };

  FileHandle own = CreateFile(env_.ownPath, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (own == kInvalidHandle) {
    Dialog([this] { ui_.ShowMessage(kTextOpenFailed + env_.ownPath); });
    EndEarly();
    end();
    return;
  }
  // Nothing is written before the whole payload is known to be the one that was built.
  const pkg::SealCheck seal = pkg::CheckPayloadSeal(own);
  const pkg::PayloadTrailer trailer = seal.trailer;
  const std::int64_t dataEnd = seal.end - std::int64_t(pkg::kTrailerSize);
  const bool countFits =
      trailer.entryCount >= pkg::kMinEntries && trailer.entryCount <= pkg::kMaxEntries;
  std::string damage = seal.why;
  if (seal.state == pkg::SealState::Unsealed && !pkg::TrailerFitsFile(own, seal.end, trailer)) {
    damage = "its entries do not reach its end: the file is cut short or damaged";
  } else if (seal.state != pkg::SealState::Damaged && !countFits) {
    // A whole payload of another format: the authoring tool's own words.
    Dialog([this] {
      ui_.Beep();
      ui_.ShowMessage(kTextWrongTool);
    });
    CloseHandle(own);
    EndEarly();
    end();
    return;
  }
  if (!damage.empty() || seal.state == pkg::SealState::Damaged) {
    Dialog([this, damage] { ui_.ShowMessage(pkg::DamagedInstallerText(env_.ownPath, damage)); });
    CloseHandle(own);
    EndEarly();
    end();
    return;
  }
  if (seal.state == pkg::SealState::Sound) sealWitness_ = pkg::SealWitness(own);
  progressTotal_ = dataEnd - seal.firstEntry - std::int64_t(trailer.lastLength);
  // The seal is an entry of its own, never written out.
  const std::uint32_t entries = trailer.entryCount - (seal.state == pkg::SealState::Sound ? 1 : 0);
  if (SetFilePointer(own, seal.firstEntry, SeekFrom::Begin) < 0) {
    CloseHandle(own);
    EndEarly();
    end();
    return;
  }
  if (!ClaimScripts(own, dataEnd, entries)) {
    anotherRun_ = true;
    Dialog([this] { ui_.ShowMessage(kTextAnotherRun); });
    CloseHandle(own);
    queue_.Post([this] { CloseDialog(ExtractOutcome::AnotherRun); });
    end();
    return;
  }
  go_.Wait();

  std::int64_t position = seal.firstEntry;
  std::uint32_t remaining = entries;
  std::vector<std::string> targets;
  while (stop_ == 0) {
    std::array<std::uint8_t, pkg::kEntryHeadSize> headBytes{};
    std::uint32_t got = 0;
    if (dataEnd - position < std::int64_t(pkg::kEntryHeadSize) ||
        !ReadFile(own, headBytes.data(), pkg::kEntryHeadSize, &got) || got != pkg::kEntryHeadSize)
      break;
    position += pkg::kEntryHeadSize;
    progressDone_ += pkg::kEntryHeadSize;
    const pkg::EntryHead head = pkg::DecodeEntryHead(headBytes.data());
    const std::string target = env_.tempFolder + head.name;
    if (!Dialog([this, target] { ui_.SetLabel(target); })) break;

    if (!IsSafeEntryName(head.name)) {
      // Nothing may be written outside the temporary folder.
      Dialog([this, target] { ui_.ShowMessage(kTextCreateFailed + target); });
      break;
    }
    // An entry that claims more bytes than the file still holds is a failed copy; nothing
    // is created for it. So is a packed one whose data does not unpack.
    if (std::int64_t(head.length) > dataEnd - position) break;
    std::vector<std::uint8_t> unpacked;
    if (head.packed && !ReadPacked(own, head.length, &unpacked)) break;

    // Made new, never written through what lies there (a link planted under the name, or a
    // stale file): that one is removed first, and one that cannot be fails the extraction.
    FileHandle out = kInvalidHandle;
    FileHandle same = kInvalidHandle;
    // A file that holds the entry's bytes already stays: another product's engine may be
    // running from it or have just loaded it, and must not see it rewritten. One that cannot
    // go may be what another product's extractor is still writing: once whole it may serve.
    for (std::uint32_t waited = 0;; waited += kBusyStepMs) {
      if (head.packed ? HoldIfHolds(target, unpacked, &same)
                      : HoldIfSame(own, target, head.length, &same))
        break;
      out = CreateFreshFile(target);
      if (out != kInvalidHandle) break;
      if (waited >= kBusyWaitMs || GetFileAttributes(target) == kInvalidAttributes) break;
      Sleep(kBusyStepMs);
    }
    if (same != kInvalidHandle) {
      // Another product's run uses the very same file (its running engine): it serves both.
      targets.push_back(target);
      if (winpath::EqualsNoCase(head.name, "Install.exe")) {
        installerHeld_ = same;
        installerWritten_ = GetFileId(same, &installer_);
      } else {
        CloseHandle(same);
      }
      if (!Dialog([this, length = head.length] { OnBytesDone(length); })) break;
      position += head.length;
      if (--remaining == 1) {
        success = true;
        break;
      }
      go_.Wait();
      continue;
    }
    if (out == kInvalidHandle) {
      Dialog([this, target] { ui_.ShowMessage(kTextCreateFailed + target); });
      break;
    }
    targets.push_back(target);
    if (winpath::EqualsNoCase(head.name, "Install.exe")) {
      installerWritten_ = GetFileId(out, &installer_);
    }
    writeError_ = kErrorSuccess;
    bool copied = head.packed ? WriteBytes(out, unpacked) &&
                                    Dialog([this, length = head.length] { OnBytesDone(length); })
                              : CopyEntry(own, out, head.length);
    const std::uint32_t copyError = writeError_;
    CloseHandle(out);
    if (!copied && copyError != kErrorSuccess) {
      // A full temporary folder, say: the user learns why instead of a silent end.
      Dialog([this, target, copyError] {
        ui_.ShowMessage(kTextWriteFailed + target + ": " + SystemErrorText(copyError));
      });
    }
    if (installerWritten_ && winpath::EqualsNoCase(head.name, "Install.exe")) {
      // Held open (for reading, which does not keep it from running) until it is started,
      // so that its identity cannot pass to another file made under the name meanwhile; nor
      // may another product's extractor replace it (it keeps this very file instead).
      FileId held;
      installerHeld_ = CreateFile(target, kGenericRead, kShareRead, Disposition::OpenExisting);
      installerWritten_ = installerHeld_ != kInvalidHandle && GetFileId(installerHeld_, &held) &&
                          held == installer_;
    }
    if (!copied) break;
    position += head.length;
    if (--remaining == 1) {
      success = true;
      break;
    }
    go_.Wait();
  }

  if (env_.scheduleDeletion && !targets.empty()) env_.scheduleDeletion(targets);
  CloseHandle(own);
  if (success) {
    Dialog([this] { ui_.SetLabel(kTextStartInstall); });
    PacedWait(1500);
    queue_.Post([this] { OnFinished(); });
  }
  end();
}

}  // namespace vx::extract
