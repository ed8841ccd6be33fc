// A program for the process-action tests, started by the engine like any vendor program.
//   write-profile SECTION KEY VALUE   writes a per-user profile value (a hand-over)
//   sleep MS                          sleeps, then exits 0
//   exit N                            exits with N
//   record FILE [ARGS...]             writes its arguments, one a line, and its show state
//                                     into the host file FILE
//   sleep-then-touch MS FILE          sleeps, then creates the host file FILE
// With $VX_TEST_RECORD set, any call records all its arguments there (as a document opener).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/Profile.h"

namespace {
int Record(const char* file, int first, int argc, char** argv) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (int i = first; i < argc; ++i) out << argv[i] << "\n";
  const char* show = std::getenv("VX_SHOW_WINDOW");
  out << "show=" << (show ? show : "") << "\n";
  return out ? 0 : 4;
}
}  // namespace

int main(int argc, char** argv) {
  if (const char* rec = std::getenv("VX_TEST_RECORD"); rec && *rec)
    return Record(rec, 1, argc, argv);
  if (argc < 2) return 2;
  std::string mode = argv[1];
  if (mode.starts_with("sleep")) {
    // A sleeper must not hold the test runner's output pipes open after the test ends.
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
  }
  if (mode == "write-profile" && argc == 5) {
    return vx::WriteProfileString(argv[2], argv[3], argv[4]) ? 0 : 3;
  }
  if (mode == "sleep" && argc == 3) {
    usleep(static_cast<useconds_t>(std::atoi(argv[2])) * 1000);
    return 0;
  }
  if (mode == "exit" && argc == 3) return std::atoi(argv[2]);
  if (mode == "record" && argc >= 3) return Record(argv[2], 3, argc, argv);
  if (mode == "sleep-then-touch" && argc == 4) {
    usleep(static_cast<useconds_t>(std::atoi(argv[2])) * 1000);
    std::ofstream out(argv[3], std::ios::binary);
    return out ? 0 : 4;
  }
  return 2;
}
