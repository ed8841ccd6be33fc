// The process handle table that starting, waiting for and opening programs share: host
// processes and programs run on threads, each behind a handle, and the record of recent starts.
#pragma once
#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Process.h"

namespace vx {

struct ThreadState {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::uint32_t code = kStillActive;
};

struct Entry {
  pid_t pid = -1;                       // a host process, or
  std::shared_ptr<ThreadState> thread;  // a program run on a thread
  bool finished = false;
  std::uint32_t code = kStillActive;
};

// Guards every entry's fields and the table itself.
std::mutex& TableMutex();
ProcessHandle AddEntry(std::shared_ptr<Entry> e);
std::shared_ptr<Entry> FindEntry(ProcessHandle h);
// Reaps host processes whose handles were closed before they ended.
void ReapOrphans();
std::uint32_t ExitCodeOf(int status);
void Record(std::string_view commandLine, std::string_view program, const StartupInfo& info);

// Starting a host program (ProcessStart.cpp): fork + exec with everything prepared before the
// fork, and the entry of the started process in the table.
bool Spawn(const std::string& hostProgram, const std::vector<std::string>& args,
           const std::string& hostDir, const StartupInfo& info, pid_t* pidOut);
void HandOver(pid_t pid, std::string_view commandLine, std::string_view program,
              const StartupInfo& info, ProcessHandle* process);

}  // namespace vx
