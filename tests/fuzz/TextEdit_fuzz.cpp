// Fuzz target for text-file edits: the input is a file's content and the fields of an edit
// (after the first 0 byte). Every edit and undo must end, keep within the file, and a
// delete may only take out one piece of the old content.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/actions/Catalogue.h"
#include "engine/actions/TextEdit.h"
#include "engine/base/Flags.h"
#include "engine/ui/HeadlessUi.h"
#include "platform/Machine.h"
#include "platform/System.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

std::string hostFile;

using vx::fuzz::Require;

std::string ReadAll() {
  std::ifstream in(hostFile, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// `now` is `before` with one piece cut out (or the same).
bool OnePieceRemoved(const std::string& before, const std::string& now) {
  if (now.size() > before.size()) return false;
  std::size_t prefix = 0;
  while (prefix < now.size() && now[prefix] == before[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < now.size() - prefix &&
         now[now.size() - 1 - suffix] == before[before.size() - 1 - suffix]) {
    ++suffix;
  }
  return prefix + suffix == now.size();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char dir[] = "/tmp/vxfuzz-textedit-XXXXXX";
  if (!mkdtemp(dir)) std::abort();
  vx::Machine::SetCurrent(dir);
  vx::SetPaceFactor(0);
  vx::SetUi(std::make_unique<vx::HeadlessUi>(std::vector<std::string>{}, false));
  auto host = vx::Machine::Current().ToHost("C:\\f.txt");
  if (!host) std::abort();
  hostFile = *host;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t cut = input.find('\0');
  std::string content = input.substr(0, cut);
  std::string fields = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  // The file is fixed; macros could only rename it, so braces are taken out.
  for (char& c : fields) {
    if (c == '{' || c == '}') c = '_';
  }
  {
    std::ofstream out(hostFile, std::ios::binary | std::ios::trunc);
    out << content;
  }
  vx::ResetRunFlags();
  std::string arguments = "C:\\f.txt | " + fields;
  vx::EditTextFile(arguments);
  std::string edited = ReadAll();
  // One line goes in, out or is rebuilt: the file cannot grow past the line bound.
  Require(edited.size() <= content.size() + 2 * 65536 + fields.size() * 2 + 8);
  if (fields.find('|') == std::string::npos) {
    // Only the search text given: operation 0 at position 0 inserts an empty line on top.
    Require(edited == "\r\n" + content);
  }
  vx::UndoTextFileEdit(arguments);
  std::string undone = ReadAll();
  Require(undone.size() <= edited.size() + 2 * 65536 + fields.size() * 2 + 8);
  // A delete line edits nothing but the removal of one piece.
  std::string deletion =
      "C:\\f.txt | " + fields.substr(0, fields.find('|')) + " | | | | 1, 2, 0, 0, 0";
  {
    std::ofstream out(hostFile, std::ios::binary | std::ios::trunc);
    out << content;
  }
  vx::EditTextFile(deletion);
  Require(OnePieceRemoved(content, ReadAll()));
  return 0;
}
