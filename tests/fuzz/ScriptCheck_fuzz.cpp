// Fuzz target for vxpack's script check: any script and response file (the input split at
// its first NUL) must be checked without a crash, and every diagnostic must name a line of
// the file it is about.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/vxpack/ScriptCheck.h"

namespace {

int Lines(const std::string& text) {
  int lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') ++lines;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t nul = input.find('\0');
  std::string script = input.substr(0, nul);
  std::string response = nul == std::string::npos ? std::string() : input.substr(nul + 1);
  vx::pack::Diagnostics found;
  vx::pack::CheckScript("s.inf", script, found);
  vx::pack::CheckResponse("r.ini", response, script, found);
  for (const vx::pack::Diagnostic& d : found.All()) {
    int last = Lines(d.file == "s.inf" ? script : response);
    if (d.line < 1 || d.line > last || d.text.empty()) std::abort();
    (void)vx::pack::FormatDiagnostic(d, true);
  }
  return 0;
}
