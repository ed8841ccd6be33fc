// libFuzzer entry point: arbitrary bytes as a shell link file. A file the parser accepts is
// written again and must parse back to the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/ShellLink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vx::ShellLinkData link;
  if (!vx::ParseShellLink(data, size, &link)) return 0;
  // Only what the writer can express is compared: it keeps the target only as a full path.
  std::vector<std::uint8_t> again = vx::BuildShellLink(link);
  vx::ShellLinkData back;
  if (!vx::ParseShellLink(again.data(), again.size(), &back)) std::abort();
  if (back.description != link.description || back.arguments != link.arguments ||
      back.workingDir != link.workingDir || back.relativePath != link.relativePath ||
      back.iconIndex != link.iconIndex)
    std::abort();
  return 0;
}
