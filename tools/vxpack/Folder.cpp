#include <filesystem>
#include <fstream>
#include <map>

#include "engine/files/PackageWriter.h"
#include "platform/WinPath.h"
#include "tools/vxpack/Layouts.h"
#include "tools/vxpack/Seal.h"
#include "tools/vxpack/ShippedScript.h"
#include "tools/vxpack/SourceTree.h"

namespace vx::pack {

namespace fs = std::filesystem;

namespace {

// Copies into the output folder, keeping the last-write time (the engine's copy checks
// compare it) and refusing to put two different files at one place.
class FolderWriter {
 public:
  FolderWriter(const fs::path& root, Reporter& reporter) : root_(root), reporter_(reporter) {}

  bool Copy(const std::string& from, const fs::path& relative, const std::string& what) {
    fs::path to = root_ / relative;
    std::string key = winpath::ToLower(to.string());
    auto [it, fresh] = placed_.emplace(key, from);
    if (!fresh) {
      if (fs::equivalent(it->second, from, ec_)) return true;
      reporter_.Error(what + ": " + to.string() + " is already taken by " + it->second);
      return false;
    }
    fs::create_directories(to.parent_path(), ec_);
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec_)) {
      reporter_.Error(what + ": cannot copy " + from + " to " + to.string() + ": " + ec_.message());
      return false;
    }
    fs::last_write_time(to, fs::last_write_time(from, ec_), ec_);
    ++files_;
    written_.push_back(relative.generic_string());
    return true;
  }

  bool Text(const fs::path& relative, const std::string& text) {
    fs::path to = root_ / relative;
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      reporter_.Error("cannot write " + to.string());
      return false;
    }
    ++files_;
    return true;
  }

  int Files() const { return files_; }
  // Every file copied, relative to the folder, in the order copied. Install.ini and the
  // script, which an administrator may edit on a share, are written as text and not listed.
  const std::vector<std::string>& Written() const { return written_; }

 private:
  fs::path root_;
  Reporter& reporter_;
  std::map<std::string, std::string> placed_;
  std::vector<std::string> written_;
  std::error_code ec_;
  int files_ = 0;
};

fs::path RelativeOf(const std::string& folder, const std::string& name) {
  std::vector<std::string> parts, nameParts;
  std::string why;
  SplitRelative(folder, parts, why);  // already checked when the file was found
  SplitRelative(name, nameParts, why);
  fs::path p;
  for (const auto& part : parts) p /= part;
  for (const auto& part : nameParts) p /= part;
  return p;
}

}  // namespace

bool WriteFolder(const PackInput& input, Reporter& reporter) {
  const fs::path root = input.out.host;
  const std::string project = input.script.projectName;
  FolderWriter out(root, reporter);

  for (const char* name : kEngineFiles)
    if (!out.Copy((fs::path(input.engine.host) / name).string(), name, name)) return false;
  if (!out.Text("Install.ini", input.InstallIni())) return false;

  // Pre-required files and the splash image wait in $Temp\, where start-up looks for them.
  const fs::path temp = kTempSourceFolder;
  for (const PackFile& f : input.script.tempFiles)
    if (!out.Copy(f.hostPath, temp / RelativeOf({}, f.name), input.Describe(f.place))) return false;
  if (!input.splashName.empty() &&
      !out.Copy(input.splash.host, temp / input.splashName, "--splash"))
    return false;
  // The locale file is read from the folder the engine starts in.
  if (!input.script.defLocale.empty()) {
    for (const PackFile& f : input.script.tempFiles) {
      if (winpath::EqualsNoCase(f.name, input.script.defLocale)) {
        if (!out.Copy(f.hostPath, f.name, input.Describe(f.place))) return false;
        break;
      }
    }
  }

  // Every component file as a plain file where its line's source folder says.
  for (const PackComponent& c : input.script.components)
    for (const PackFile& f : c.files)
      if (!out.Copy(f.hostPath, RelativeOf(f.sourceFolder, f.name), input.Describe(f.place)))
        return false;

  // PROJECT.0: the disk header alone, which start-up reads and checks.
  pkg::WriterOptions writer;
  writer.compress = !input.options.raw;
  writer.created = input.created;
  writer.headerOnlyFirstDisk = true;
  pkg::FileSink sink(winpath::Join(input.out.win, project + ".0"));
  pkg::WriterResult result = pkg::WritePackage({}, writer, sink);
  if (!result.ok) {
    reporter.Error("cannot write " + (root / (project + ".0")).string() + ": " + result.error);
    return false;
  }
  RemoveStaleDisks((root / (project + ".0")).string(), result.diskCount);

  ScriptText script(input.sourceText);
  FillSizeKeys(script, input.script, input.sizes);
  FillDiskKeys(script, input.script, result.diskCount, {});
  if (!out.Text(input.ShippedScriptName(), script.Text())) return false;
  // PROJECT.0 then carries the digest of every file copied, checked before the engine copies
  // one.
  std::string sealError;
  if (!SealFolder(root.string(), out.Written(), (root / (project + ".0")).string(), sealError)) {
    reporter.Error(sealError);
    return false;
  }

  reporter.Note("wrote a folder installation of " + std::to_string(out.Files() + 1) + " files to " +
                root.string());
  return true;
}

}  // namespace vx::pack
