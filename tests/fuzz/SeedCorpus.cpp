// Writes the seed corpora of the fuzz targets with the project's own writers:
// the package writer, the payload and shell link encoders, the profile and
// restart-queue services, the switches. Usage: vx_fuzz_seeds OUT_DIR (one folder per target,
// named like it).
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "engine/base/InstallRecord.h"
#include "engine/base/Switches.h"
#include "engine/files/PackageWriter.h"
#include "platform/ShellLink.h"
#include "platform/Machine.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/RestartQueue.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "tests/extract/PayloadBuilder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

fs::path out;
std::string driveC;

void Seed(const std::string &target, const std::string &name, const std::string &bytes) {
  fs::create_directories(out / target);
  std::ofstream(out / target / name, std::ios::binary) << bytes;
}
std::string Text(const Bytes &b) { return std::string(b.begin(), b.end()); }
void WriteC(const std::string &rel, const std::string &bytes) {
  fs::create_directories(fs::path(driveC + "/" + rel).parent_path());
  std::ofstream(driveC + "/" + rel, std::ios::binary) << bytes;
}
std::string ReadC(const std::string &rel) {
  std::ifstream in(driveC + "/" + rel, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Bytes that do not compress, so that a few kilobytes span small disks.
std::string Noise(std::size_t size) {
  std::string s(size, '\0');
  std::uint32_t x = 2463534242u;
  for (char &c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return s;
}

// The disks of a package of two temp records and a component of two files.
std::vector<std::string> Package(bool compress, std::uint64_t diskSize, std::size_t bigSize) {
  WriteC("src/Setup.txt", "Welcome\r\n");
  WriteC("src/App.inf", "[<General>]\r\nProductName=Fuzz\r\n");
  WriteC("src/a.txt", vx::test::Filler(300, 'a'));
  WriteC("src/big.bin", Noise(bigSize));
  std::vector<vx::pkg::PackageItem> items = {{vx::pkg::kTempFileLine, 0, "C:\\src\\Setup.txt"},
                                             {vx::pkg::kTempNameOnly, 1, "C:\\src\\App.inf"},
                                             {0, 0, "C:\\src\\a.txt"},
                                             {0, 1, "C:\\src\\big.bin"}};
  vx::pkg::WriterOptions options;
  options.compress = compress;
  options.diskSize = diskSize;
  options.created = 1700000000;
  vx::pkg::MemorySink sink;
  if (!vx::pkg::WritePackage(items, options, sink).ok) std::abort();
  std::vector<std::string> disks;
  for (const Bytes &d : sink.disks) disks.push_back(Text(d));
  return disks;
}

// A self-extractor: a program image, four engine entries and the package last.
std::string SelfExtractor(const std::string &package) {
  return vx::test::BuildPayloadFile(vx::test::Filler(64, 'M'),
                                    {{"Install.exe", vx::test::Filler(40, 'x')},
                                     {"Karvo.dll", vx::test::Filler(30, 'k')},
                                     {"Install.ini", "[<General>]\r\nProjectName=App\r\n"},
                                     {"App.inf", "[<General>]\r\nProductName=Fuzz\r\n"},
                                     {"App.pkg", package}});
}

std::string JoinDisks(const std::vector<std::string> &disks) {
  std::string s;
  for (std::size_t i = 0; i < disks.size(); ++i)
    s += (i ? "\xFD"
              "DISK"
            : "") +
         disks[i];
  return s;
}

// The text a series of profile writes leaves in a new file.
std::string Profile(const std::vector<std::vector<const char *>> &writes) {
  const std::string file = "C:\\p\\" + std::to_string(writes.size()) + ".ini";
  fs::create_directories(driveC + "/p");
  fs::remove(driveC + "/p/" + std::to_string(writes.size()) + ".ini");
  for (const auto &w : writes) vx::WritePrivateProfileString(w[0], w[1], w[2], file);
  return ReadC("p/" + std::to_string(writes.size()) + ".ini");
}

std::string NtQueue() {
  vx::HKEY key = 0;
  std::string data(8192, '\0');
  std::uint32_t type = 0, size = static_cast<std::uint32_t>(data.size());
  if (vx::RegOpenKeyEx(vx::kHkeyLocalMachine, vx::kSessionManagerKey, vx::kKeyRead, &key) != 0)
    return {};
  vx::RegQueryValueEx(key, vx::kPendingRenameValue, &type, data.data(), &size);
  vx::RegCloseKey(key);
  data.resize(size);
  return data;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: vx_fuzz_seeds OUT_DIR\n";
    return 2;
  }
  out = argv[1];
  std::string tmpl = (fs::temp_directory_path() / "vxseeds-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) return 1;
  vx::Machine::SetCurrent(tmpl);
  driveC = *vx::Machine::Current().ToHost("C:\\");

  // Packages: one disk, compressed and raw, and spanned over three disks.
  const std::vector<std::string> single = Package(true, 0, 1500);
  const std::vector<std::string> raw = Package(false, 0, 800);
  const std::vector<std::string> spanned = Package(true, 8192, 14000);
  Seed("PackageReader_fuzz", "single", std::string(1, '\0') + JoinDisks(single));
  Seed("PackageReader_fuzz", "raw-unchecked", std::string(1, '\x02') + JoinDisks(raw));
  Seed("PackageReader_fuzz", "spanned", std::string(1, '\x04') + JoinDisks(spanned));
  Seed("PackageReader_fuzz", "self-extractor", std::string(1, '\x01') + SelfExtractor(single[0]));
  for (const char *target : {"Trailer_fuzz", "ExtractPayload_fuzz"}) {
    Seed(target, "compressed", SelfExtractor(single[0]));
    Seed(target, "raw", SelfExtractor(raw[0]));
  }
  Seed("ExtractPayload_fuzz", "first-disk", SelfExtractor(spanned[0]));
  const std::string sealed = vx::test::BuildSealedPayloadFile(
      vx::test::Filler(64, 'M'), {{"Install.exe", vx::test::Filler(40, 'x')},
                                  {"Karvo.dll", vx::test::Filler(30, 'k')},
                                  {"Install.ini", "[<General>]\r\nProjectName=App\r\n"},
                                  {"App.pkg", single[0]}});
  for (const char *target : {"Trailer_fuzz", "ExtractPayload_fuzz"}) Seed(target, "sealed", sealed);

  // Chunks as the package writer makes them; mode 0 takes the zlib stream after
  // the length.
  const std::string block = vx::test::Filler(2048, 'c');
  Bytes chunk;
  if (!vx::pkg::AppendChunk(reinterpret_cast<const std::uint8_t *>(block.data()), block.size(),
                            chunk))
    return 1;
  const std::string stream(chunk.begin() + 4, chunk.end());
  const std::string text = "[<General>]\r\nProductName=Fuzz Product\r\nProjectName=App\r\n";
  for (const char *target : {"Inflate_fuzz", "InflateChunk_fuzz"}) {
    Seed(target, "chunk", std::string(1, '\0') + stream);
    Seed(target, "compress-text", std::string("\x01\x09\x00", 3) + text);
    Seed(target, "compress-flipped", std::string("\x01\x06\x01\x01\x23", 5) + text);
  }
  Seed("InflateChunk_fuzz", "raw-body",
       std::string("\x02", 1) + std::string(stream.begin() + 2, stream.end() - 4));
  Seed("InflateChunk_fuzz", "blocks",
       std::string("\x03\x05\x10\x22\x37\x41\x5a\x66\x7f\x80\x99", 11));

  // Shell links.
  vx::ShellLinkData link;
  link.target = "C:\\Program Files\\App\\App.exe";
  link.arguments = "-s C:\\App.ini";
  link.workingDir = "C:\\Program Files\\App";
  link.description = "App";
  link.iconFile = "C:\\Program Files\\App\\App.ico";
  link.iconIndex = 2;
  Seed("ShellLink_fuzz", "full", Text(vx::BuildShellLink(link)));
  vx::ShellLinkData relative;
  relative.relativePath = "..\\App\\App.exe";
  Seed("ShellLink_fuzz", "relative", Text(vx::BuildShellLink(relative)));

  // Profile texts, written by the profile service.
  const std::string script = Profile({{"<General>", "ProductName", "Fuzz Product"},
                                      {"<General>", "ProjectName", "App"},
                                      {"<InstSummaryWnd>", "InstalledType", "<CompListWnd>"},
                                      {"<CompListWnd>", "nItems", "2"},
                                      {"<CompListWnd>", "0", "Base | 1 | 1"},
                                      {"<CompListWnd>", "1", "Extras | 1 | 0"},
                                      {"<Destinations>", "nItems", "2"},
                                      {"<Destinations>", "InstallPath1", "C:\\Program Files\\App"},
                                      {"<Destinations>", "InstallPath2", "C:\\AppData"},
                                      {"<VariableList>", "nItems", "1"},
                                      {"<VariableList>", "Variable1", "Mode"},
                                      {"<VariableList>", "Value1", "full"}});
  Seed("ProfileParse_fuzz", "script", script);
  Seed("ProfileParse_fuzz", "edited",
       Profile({{"A", "k", "1"},
                {"B", "k", "2"},
                {"A", nullptr, nullptr},
                {"B", "j", "3"},
                {"B", "k", nullptr}}));
  const std::string response = Profile({{"ResponseFile", "InstalledType", "<CompListWnd>"},
                                        {"ResponseFile", "Component1", "1"},
                                        {"ResponseFile", "Component2", "0"},
                                        {"ResponseFile", "InstallPath1", "C:\\Apps\\App"},
                                        {"ResponseFile", "InstallPath2", "C:\\Apps\\Data"}});
  Seed("ResponseFile_fuzz", "two-components", script + std::string(1, '\0') + response);
  const std::string typed = Profile({{"<InstTypeListWnd>", "nItems", "1"},
                                     {"<InstTypeListWnd>", "0", "Typical"},
                                     {"Typical", "nItems", "1"},
                                     {"Typical", "0", "Base | 1 | 0"},
                                     {"<Destinations>", "nItems", "2147483647"},
                                     {"<UserInfoWnd>", "AskUserName", "1"}});
  Seed("ResponseFile_fuzz", "install-type",
       typed + std::string(1, '\0') +
           Profile({{"ResponseFile", "InstalledType", "Typical"},
                    {"ResponseFile", "Component1", "1"},
                    {"ResponseFile", "AskUserName", "Ada"}}));

  // Action lines and text edits as the sample scripts hold them.
  Seed("ActionLine_fuzz", "message", "? | If (1 == 1) | 12 | Say | Hello | 0");
  Seed("ActionLine_fuzz", "two-conditions", "? | If ( a == b ) .AND. (c==d) | 15 | stop |");
  Seed("ActionLine_fuzz", "registry",
       "? | If (1 == 1) | 4 | Record | HKEY_CURRENT_USER | Software\\X | Y | Z");
  Seed("TextEdit_fuzz", "insert",
       std::string("line one\r\nPATH=C:\\a\r\n") + '\0' + "PATH | | X | | 0, 1, 0, 0, 0");
  Seed("TextEdit_fuzz", "fallback",
       std::string("[x]\r\n") + '\0' + "nothing | | X | Fallback | 0, 2, 0, 4, 0");

  // Component list, file and icon lines.
  Seed("ScriptLines_fuzz", "component",
       "LBase | 1 | 1\nLExtras | 1 | 0\nFa.txt | C:\\App | . | 0\nFb.txt | "
       "C:\\App\\Sub | sub | 1\n"
       "IApp | C:\\App\\a.txt | -x | C:\\App\\a.txt, 0 | C:\\App | C:\\Menu\n");
  Seed("ScriptLines_fuzz", "shared",
       "LBase | 1 | 1\nFa.txt | C:\\Windows\\System32 | C:\\src | 1\n");

  // The restart queue as MoveFileEx and a 9x setup leave it.
  vx::MoveFileEx("C:\\d\\a.txt", "C:\\d\\moved.txt",
                 vx::kMoveFileDelayUntilReboot | vx::kMoveFileReplaceExisting);
  vx::MoveFileEx("C:\\d\\e\\b.txt", "", vx::kMoveFileDelayUntilReboot);
  vx::MoveFileEx("C:\\d\\e", "", vx::kMoveFileDelayUntilReboot);
  fs::create_directories(driveC + "/w");
  vx::WritePrivateProfileString("Rename", "NUL", "C:\\d\\a.txt", "C:\\w\\Wininit.ini");
  vx::WritePrivateProfileString("Rename", "C:\\d\\new.txt", "C:\\d\\e\\b.txt",
                                "C:\\w\\Wininit.ini");
  Seed("RestartQueue_fuzz", "both", NtQueue() + "\xFEWININIT" + ReadC("w/Wininit.ini"));
  Seed("RestartQueue_fuzz", "nt", NtQueue());

  // An installation record with every kind of entry, and one cut by a kill.
  std::string record = vx::kRecordHeader;
  for (const vx::RecordEntry &e : std::vector<vx::RecordEntry>{
           {vx::RecordKind::Component, {"Core"}},
           {vx::RecordKind::Folder, {"C:\\Program Files\\Demo"}},
           {vx::RecordKind::File, {"C:\\Program Files\\Demo\\App.exe"}},
           {vx::RecordKind::Saved, {"C:\\Windows\\x.ini", "C:\\Windows\\Temp\\Demo.inf.saved\\0"}},
           {vx::RecordKind::RegistryKey, {"HKEY_LOCAL_MACHINE", "Software\\Acme"}},
           {vx::RecordKind::Registry,
            {"HKEY_LOCAL_MACHINE", "Software\\Acme", "Path", "1", "1", "a\tb\n\\"}},
           {vx::RecordKind::Ini, {"C:\\Windows\\Demo.ini", "Paths", "DataDir", "0", ""}},
       })
    record += vx::FormatRecordLine(e);
  Seed("InstallRecord_fuzz", "every-kind", record);
  Seed("InstallRecord_fuzz", "cut", record.substr(0, record.size() - 5));

  // Command lines: every switch as the switches write themselves, and the extractor's
  // hand-over with a response file left for the engine.
  vx::Switches every;
  every.silent = every.noRestart = every.suppressMsgBoxes = every.msiCodes = true;
  every.dir = "C:\\Program Files\\App";
  every.components = "Base, Extras";
  every.type = "Full Install";
  every.log = "C:\\run.log";
  every.saveInf = "C:\\answers.ini";
  Seed("Switches_fuzz", "every", every.Text());
  Seed("Switches_fuzz", "hand-over",
       "-e C:\\Down\\App.exe | /s -dir=\"C:\\My Apps\" -s C:\\resp.ini /?");

  // Tree lines: the three fields, and both filters.
  Seed("TreeLine_fuzz", "plain", "C:\\src\\App | C:\\Program Files\\App | 0");
  Seed("TreeLine_fuzz", "filters", "C:\\src | C:\\App\\Data | 1 | *.txt;sub\\*.ini | *.bak");

  fs::remove_all(tmpl);
  return 0;
}
