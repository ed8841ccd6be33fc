#include "tools/vxpack/PackInput.h"

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/base/Spread.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"
#include "tools/vxpack/PictureCheck.h"
#include "tools/vxpack/Signing.h"
#include "tools/vxpack/SourceTree.h"
#include "tools/vxpack/TreeLines.h"

namespace vx::pack {

namespace fs = std::filesystem;

std::string PackInput::InstallIni() const {
  return "[<General>]\r\nProjectName=" + script.projectName + "\r\nSplashImg=" + splashName +
         "\r\n";
}

std::vector<pkg::PackageItem> PackInput::Items() const {
  std::vector<pkg::PackageItem> items;
  // Their sizes were taken when they were found; a file changed since fails when read.
  auto item = [](const PackFile& f) {
    return pkg::PackageItem{f.component, f.item, f.hostPath, static_cast<std::int64_t>(f.size)};
  };
  for (const PackFile& f : script.tempFiles) items.push_back(item(f));
  for (const PackComponent& c : script.components)
    for (const PackFile& f : c.files) items.push_back(item(f));
  // The writer reads through the machine: hand it Windows names.
  for (pkg::PackageItem& item : items) item.source = Machine::Current().FromOutside(item.source);
  return items;
}

std::string PackInput::Describe(const ScriptPlace& place) const {
  return scriptName + ", " + place.Describe();
}

std::string PackInput::DescribeItem(std::size_t index) const {
  if (index < script.tempFiles.size()) return Describe(script.tempFiles[index].place);
  index -= script.tempFiles.size();
  for (const PackComponent& c : script.components) {
    if (index < c.files.size()) return Describe(c.files[index].place);
    index -= c.files.size();
  }
  return scriptName;
}

namespace {

Place PlaceOf(const std::string& argument) {
  Place p;
  p.win = Machine::Current().FromOutside(argument);
  p.host = HostPathOf(p.win);
  return p;
}

bool ReadHostFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return !in.bad();
}

// SOURCE_DATE_EPOCH when set (it must then be a plain number), else now.
bool CreationTime(std::uint32_t& created, std::string& error) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch == nullptr || *epoch == 0) {
    created = std::uint32_t(std::time(nullptr));
    return true;
  }
  std::string text(epoch);
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFull) {
    error =
        "SOURCE_DATE_EPOCH must be a number of seconds since 1970 that fits in 32 bits, not \"" +
        text + "\"";
    return false;
  }
  created = std::uint32_t(value);
  return true;
}

// Looks every file up on `input.jobs` threads (a product has files by the ten thousand, and
// each lookup walks its folders); the first one missing, in script order, is reported.
bool FindSources(PackInput& input, Reporter& reporter) {
  SourceTree tree(input.sourceRoot);
  std::vector<PackFile*> files;
  for (PackFile& f : input.script.tempFiles) files.push_back(&f);
  for (PackComponent& c : input.script.components)
    for (PackFile& f : c.files) files.push_back(&f);
  struct Found {
    bool ok = false;
    std::string why;  // empty when the file was found but its size could not be read
  };
  std::vector<Found> found(files.size());
  SpreadOverThreads(files.size(), input.jobs, [&](std::size_t i) {
    PackFile& f = *files[i];
    auto host = tree.FindFile(f.sourceFolder, f.name, found[i].why);
    if (!host) return;
    f.hostPath = *host;
    std::error_code ec;
    f.size = fs::file_size(*host, ec);
    found[i].ok = !ec;
  });
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (found[i].ok) continue;
    if (files[i]->hostPath.empty())
      reporter.Error(input.Describe(files[i]->place) + ": " + found[i].why);
    return false;
  }
  return true;
}

}  // namespace

bool GatherInput(const PackOptions& options, Reporter& reporter, PackInput& input, bool& usage) {
  usage = false;
  input = PackInput{};
  input.options = options;
  std::string error;
  if (!CreationTime(input.created, error)) {
    reporter.Error(error);
    usage = true;
    return false;
  }
  input.jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());

  Place script = PlaceOf(options.script);
  input.scriptName =
      fs::path(script.host.empty() ? options.script : script.host).filename().string();
  if (script.host.empty() || !ReadHostFile(script.host, input.sourceText)) {
    reporter.Error("cannot read the install script " + options.script);
    return false;
  }
  std::string fallbackProject = fs::path(script.host).stem().string();
  if (!ReadPackScript(ScriptText(input.sourceText), fallbackProject, input.script, error)) {
    reporter.Error(input.scriptName + ", " + error);
    return false;
  }
  if (input.ShippedScriptName().size() >= pkg::kEntryNameSize) {
    reporter.Error(input.scriptName + ": the project name " + input.script.projectName +
                   " is too long for a payload entry");
    return false;
  }

  Place source = PlaceOf(options.sourceDir.empty() ? fs::path(script.host).parent_path().string()
                                                   : options.sourceDir);
  std::error_code ec;
  if (source.host.empty() || !fs::is_directory(source.host, ec)) {
    reporter.Error("the source tree " +
                   (options.sourceDir.empty() ? source.win : options.sourceDir) +
                   " is not a folder");
    usage = true;
    return false;
  }
  input.sourceRoot = source.host;
  // Tree lines become ordinary file lines: the script shipped and packed is the expanded one.
  std::vector<TreeFault> treeFaults;
  std::string expanded = ExpandTrees(input.sourceText, input.sourceRoot, treeFaults);
  if (!treeFaults.empty()) {
    const TreeFault& f = treeFaults.front();
    reporter.Error(input.Describe(ScriptPlace{f.section, f.key}) + ": " + f.why);
    return false;
  }
  if (expanded != input.sourceText) {
    input.sourceText = std::move(expanded);
    if (!ReadPackScript(ScriptText(input.sourceText), fallbackProject, input.script, error)) {
      reporter.Error(input.scriptName + ", " + error);
      return false;
    }
  }

  if (options.engineDir.empty()) {
    input.engine.win = winpath::Folder(GetModuleFileName()).empty()
                           ? std::string()
                           : std::string(winpath::Folder(GetModuleFileName()));
    input.engine.host = HostPathOf(input.engine.win);
  } else {
    input.engine = PlaceOf(options.engineDir);
  }
  std::vector<std::string> engineFiles(std::begin(kEngineFiles), std::end(kEngineFiles));
  if (options.layout == Layout::Sfx) engineFiles.insert(engineFiles.begin(), "Extract.exe");
  for (const std::string& name : engineFiles) {
    if (input.engine.host.empty() || !fs::is_regular_file(fs::path(input.engine.host) / name, ec)) {
      reporter.Error(name + " is not in the engine folder " +
                     (input.engine.host.empty() ? options.engineDir : input.engine.host) +
                     " (give it with --engine DIR)");
      usage = true;
      return false;
    }
  }

  if (!options.splash.empty()) {
    input.splash = PlaceOf(options.splash);
    input.splashName = fs::path(input.splash.host).filename().string();
    if (input.splash.host.empty() || !fs::is_regular_file(input.splash.host, ec)) {
      reporter.Error("the splash image " + options.splash + " is not a file");
      usage = true;
      return false;
    }
    if (input.splashName.size() >= pkg::kEntryNameSize) {
      reporter.Error("the splash image's name " + input.splashName +
                     " is too long for a payload entry");
      usage = true;
      return false;
    }
  }

  input.out = PlaceOf(options.outDir.empty() ? std::string(".") : options.outDir);
  if (input.out.host.empty()) {
    reporter.Error("the output folder " + options.outDir + " cannot be reached");
    usage = true;
    return false;
  }
  if (!FindSources(input, reporter)) return false;
  if (WarnUnreadablePictures(input, reporter) > 0 && options.strict) {
    reporter.Error("pictures the engine cannot read stop a --strict build");
    return false;
  }
  if (!input.script.defLocale.empty()) {
    bool shipped = false;
    for (const PackFile& f : input.script.tempFiles)
      shipped = shipped || winpath::EqualsNoCase(f.name, input.script.defLocale);
    if (!shipped)
      reporter.Note("note: DefLocale names " + input.script.defLocale +
                    ", which no [{Temp}] line brings along");
  }
  return true;
}

bool PrepareOutput(PackInput& input, Reporter& reporter, bool& usage) {
  usage = false;
  std::error_code ec;
  fs::create_directories(input.out.host, ec);
  if (!fs::is_directory(input.out.host, ec)) {
    reporter.Error("cannot create the output folder " + input.out.host);
    return false;
  }
  if (!SignShippedPrograms(input, reporter)) return false;
  // Taken after signing, which makes the signed programs longer.
  for (const PackComponent& c : input.script.components)
    input.sizes.push_back(SizesOf(c, input.script));
  return true;
}

}  // namespace vx::pack
