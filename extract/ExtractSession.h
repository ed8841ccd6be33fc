// One run of the self-extractor: the progress dialog on the calling thread and one worker
// that copies every payload entry but the last (the data package) into the temporary
// folder, then the launch of the extracted installer.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Dispatcher.h"
#include "extract/ExtractUi.h"
#include "platform/Files.h"
#include "platform/NamedLock.h"

namespace vx::extract {

// The texts of the extractor.
inline constexpr char kTextExtracting[] = "Tessaro Installer is extracting files. Please wait...";
inline constexpr char kTextCancelQuestion[] =
    "File extraction has not been completed  yet. Are you sure you want to cancel it now?";
inline constexpr char kTextOpenFailed[] = "Failed to open file ";
inline constexpr char kTextCreateFailed[] = "Failed to create file ";
inline constexpr char kTextWriteFailed[] = "Failed to write file ";
inline constexpr char kTextWrongTool[] = "This application is used solely by Quillon 1.1 and up.";
inline constexpr char kTextStartInstall[] = "Start install...";

inline constexpr std::uint32_t kCopyBlock = 512;
inline constexpr std::uint32_t kCancelWaitMs = 5000;
inline constexpr std::uint32_t kCompareBlock = 64 * 1024;
inline constexpr std::uint32_t kBusyWaitMs = 3000;
inline constexpr std::uint32_t kBusyStepMs = 50;

struct ExtractEnvironment {
  std::string ownPath;      // Windows name of the program file
  std::string tempFolder;   // ends with "\"
  std::string commandLine;  // the extractor's own arguments joined with blanks
  // Starts the installer with the temporary folder as current directory; not waited for.
  // False when it could not be started.
  std::function<bool(const std::string& tempFolder, const std::string& commandLine)> launch;
  // Hands the extracted files over for deletion at the next restart.
  std::function<void(const std::vector<std::string>& files)> scheduleDeletion;
};

// LaunchFailed: everything was extracted but the installer did not start; the dialog
// closes as usual, the caller reports it. AnotherRun: a run of the same product was using
// its files in the temporary folder; nothing was written.
enum class ExtractOutcome { Launched, Failed, Cancelled, LaunchFailed, AnotherRun };

// "Install.exe -e <own path>" or "Install.exe -e <own path> | <arguments>".
std::string LaunchCommandLine(const std::string& ownPath, const std::string& arguments);

class ExtractSession {
 public:
  ExtractSession(ExtractEnvironment env, ExtractUi& ui);
  ~ExtractSession();
  ExtractSession(const ExtractSession&) = delete;
  ExtractSession& operator=(const ExtractSession&) = delete;

  // Shows the dialog until it closes.
  ExtractOutcome Run();

  // Bytes the bar counts to: every entry but the package, and the package's head.
  std::int64_t ProgressTotal() const { return progressTotal_; }

 private:
  void OnOpen();
  void OnBytesDone(std::uint32_t bytes);
  void OnFinished();
  void OnCancel();
  void CloseDialog(ExtractOutcome outcome);

  void Worker();
  // Runs on the worker; false when the dialog has gone (the worker then stops).
  bool Dialog(std::function<void()> call) { return queue_.Send(std::move(call)); }
  void EndEarly();  // done flag set and a click on Cancel posted
  bool CopyEntry(std::intptr_t source, std::intptr_t target, std::uint32_t length);
  std::uint32_t writeError_ = 0;
  // When `target` holds exactly the entry's `length` bytes that follow in `own` (and is no
  // link), leaves `own` after them and the target open in `held`; otherwise `own` stays.
  bool HoldIfSame(std::intptr_t own, const std::string& target, std::uint32_t length,
                  std::intptr_t* held);  // why CopyEntry's last write failed, kErrorSuccess if none
  // The same for a packed entry's file, unpacked in memory.
  bool HoldIfHolds(const std::string& target, const std::vector<std::uint8_t>& bytes,
                   std::intptr_t* held);
  bool WriteBytes(std::intptr_t target, const std::vector<std::uint8_t>& bytes);
  // Takes the run lock of every install script among the entries (the working copies the
  // installer will use); false when another run holds one. The file position is kept.
  bool ClaimScripts(std::intptr_t own, std::int64_t dataEnd, std::uint32_t entries);

  ExtractEnvironment env_;
  ExtractUi& ui_;
  Dispatcher queue_;
  GoEvent go_{true};
  std::thread worker_;
  std::atomic<bool> workerEnded_{false};
  std::atomic<bool> workerSucceeded_{false};
  std::atomic<int> stop_{0};
  bool done_ = false;  // dialog side: close without asking
  bool closed_ = false;
  ExtractOutcome outcome_ = ExtractOutcome::Failed;

  std::vector<std::unique_ptr<NamedLock>> locks_;  // released when the installer starts
  bool anotherRun_ = false;                        // worker side, read after it ended
  // The installer as written: only that very file is started.
  bool installerWritten_ = false;
  FileId installer_;
  std::string sealWitness_;  // the payload as found sound, for the engine
  FileHandle installerHeld_ = kInvalidHandle;
  void ReleaseInstaller();

  std::atomic<std::int64_t> progressTotal_{0};
  std::atomic<std::int64_t> progressDone_{0};
};

}  // namespace vx::extract
