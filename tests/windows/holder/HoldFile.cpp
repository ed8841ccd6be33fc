// Holds a file open the way a running program does (read, shared for reading only), so that
// an installation meets it in use. Usage: vxholdfile FILE FLAG
// Once FILE is open, FLAG is created; FILE stays open until FLAG is deleted (or a minute
// passes, so that a test that dies never leaves it held).
#include <cstdint>
#include <cstdio>

#include "platform/Files.h"
#include "platform/System.h"

namespace {

constexpr std::uint32_t kPollMs = 50;
constexpr std::uint32_t kLongestHoldMs = 60000;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vxholdfile FILE FLAG\n");
    return 2;
  }
  vx::FileHandle held =
      vx::CreateFile(argv[1], vx::kGenericRead, vx::kShareRead, vx::Disposition::OpenExisting);
  if (held == vx::kInvalidHandle) {
    std::fprintf(stderr, "vxholdfile: cannot open %s (error %u)\n", argv[1],
                 static_cast<unsigned>(vx::GetLastError()));
    return 1;
  }
  vx::FileHandle flag = vx::CreateFreshFile(argv[2]);
  if (flag == vx::kInvalidHandle) {
    std::fprintf(stderr, "vxholdfile: cannot create %s\n", argv[2]);
    return 1;
  }
  vx::CloseHandle(flag);
  for (std::uint32_t waited = 0; waited < kLongestHoldMs && vx::FileOrFolderExists(argv[2]);
       waited += kPollMs) {
    vx::Sleep(kPollMs);
  }
  vx::CloseHandle(held);
  return 0;
}
