#include "tools/vxpack/Signing.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Machine.h"
#include "platform/WinPath.h"

namespace vx::pack {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramExtensions[] = {".exe", ".dll", ".ocx", ".sys", ".cpl", ".scr"};
constexpr char kStageName[] = ".vxpack-signing";

// The path as one word of the host's command interpreter.
std::string Quoted(const std::string& path) {
#ifdef _WIN32
  return "\"" + path + "\"";
#else
  std::string q = "'";
  for (char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
#endif
}

bool IsProgram(const std::string& name) {
  std::string ext = winpath::ToLower(winpath::Extension(name));
  for (const char* p : kProgramExtensions)
    if (ext == p) return true;
  return false;
}

// Copies `from` to `to` and signs the copy; the copy keeps the source's last-write time,
// which the installed file carries.
bool StageAndSign(const std::string& command, const fs::path& from, const fs::path& to,
                  Reporter& reporter) {
  std::error_code ec;
  fs::create_directories(to.parent_path(), ec);
  if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
    reporter.Error("cannot copy " + from.string() + " for signing: " + ec.message());
    return false;
  }
  auto time = fs::last_write_time(from, ec);
  if (!SignFile(command, to.string(), reporter)) return false;
  if (!ec) fs::last_write_time(to, time, ec);
  return true;
}

}  // namespace

std::string SignCommandFor(const std::string& command, const std::string& hostPath) {
  std::string out;
  const std::string placeholder = kSignFilePlaceholder;
  std::size_t at = 0;
  while (true) {
    std::size_t next = command.find(placeholder, at);
    if (next == std::string::npos) break;
    out += command.substr(at, next - at) + Quoted(hostPath);
    at = next + placeholder.size();
  }
  return out + command.substr(at);
}

bool SignFile(const std::string& command, const std::string& hostPath, Reporter& reporter) {
  std::string line = SignCommandFor(command, hostPath);
  // The vendor's own command, run by the host's command interpreter as they wrote it.
  int status = std::system(line.c_str());
  if (status != 0) {
    reporter.Error("the signing command failed on " + hostPath + " (status " +
                   std::to_string(status) + "): " + line);
    return false;
  }
  return true;
}

bool SignShippedPrograms(PackInput& input, Reporter& reporter) {
  const std::string& command = input.options.signCommand;
  if (command.empty()) return true;
  const fs::path stage = fs::path(input.out.host) / kStageName;
  std::error_code ec;
  fs::remove_all(stage, ec);
  input.signStage = stage.string();
  const fs::path engine = stage / "engine";
  fs::create_directories(engine, ec);
  // The stub itself is signed once it carries its payload.
  if (input.options.layout == Layout::Sfx &&
      !fs::copy_file(fs::path(input.engine.host) / "Extract.exe", engine / "Extract.exe", ec)) {
    reporter.Error("cannot copy Extract.exe for signing: " + ec.message());
    return false;
  }
  for (const char* name : kEngineFiles)
    if (!StageAndSign(command, fs::path(input.engine.host) / name, engine / name, reporter))
      return false;
  input.engine.host = engine.string();
  input.engine.win = Machine::Current().FromOutside(input.engine.host);

  int n = 0;
  auto signProduct = [&](PackFile& f) {
    if (!IsProgram(f.name)) return true;
    // Numbered folders: two programs of one name from different folders stay apart.
    fs::path to = stage / "files" / std::to_string(n++) / fs::path(f.hostPath).filename();
    if (!StageAndSign(command, f.hostPath, to, reporter)) return false;
    f.hostPath = to.string();
    f.size = fs::file_size(to, ec);
    return !ec;
  };
  for (PackFile& f : input.script.tempFiles)
    if (!signProduct(f)) return false;
  for (PackComponent& c : input.script.components)
    for (PackFile& f : c.files)
      if (!signProduct(f)) return false;
  return true;
}

void DropSigningStage(const PackInput& input) {
  if (input.signStage.empty()) return;
  std::error_code ec;
  fs::remove_all(input.signStage, ec);
}

}  // namespace vx::pack
