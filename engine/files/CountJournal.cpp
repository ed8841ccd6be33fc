#include "engine/files/CountJournal.h"

#include <charconv>
#include <cstdint>

#include "engine/base/InstallRecord.h"
#include "engine/base/PathOps.h"
#include "engine/base/RegistryHelpers.h"
#include "engine/base/RunReport.h"
#include "engine/base/Store.h"
#include "engine/files/SharedFiles.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace vx {

namespace {

constexpr char kSection[] = "Raised";

std::uint32_t CountOf(const std::string& path) {
  std::uint32_t count = 0;
  ReadRegistryDword(kHkeyLocalMachine, kSharedDllsKey, path, count);
  return count;
}

// "before|path": the count the file had before the raise, then its path.
bool ParseEntry(const std::string& entry, std::uint32_t& before, std::string& path) {
  const std::size_t bar = entry.find('|');
  if (bar == std::string::npos || bar == 0 || bar + 1 == entry.size()) return false;
  auto [end, ec] = std::from_chars(entry.data(), entry.data() + bar, before);
  if (ec != std::errc() || end != entry.data() + bar) return false;
  path = entry.substr(bar + 1);
  return true;
}

}  // namespace

std::string CountJournalFile() {
  const std::string script = GetScriptFile();
  return script.empty() ? std::string() : script + ".counts";
}

void RaiseSharedFileCount(const std::string& path) {
  const std::string journal = CountJournalFile();
  if (!journal.empty()) {
    const int n = ReadIniInt(kSection, "nItems", journal);
    const std::string entry = std::to_string(CountOf(path)) + "|" + path;
    WritePrivateProfileStrings(
        kSection, {{std::to_string(n), entry}, {"nItems", std::to_string(n + 1)}}, journal);
  }
  UpdateSharedFileCount(path, +1);
}

void GiveBackKilledRunCounts() {
  const std::string journal = CountJournalFile();
  if (journal.empty() || !FileExists(journal)) return;
  // A run whose own journal is gone had ended (it is discarded before this one is
  // forgotten): what it raised belongs to what it installed.
  if (!FileExists(JournalFile(GetScriptFile()))) {
    ForgetCountJournal();
    return;
  }
  const int n = ReadIniInt(kSection, "nItems", journal);
  for (int i : IniListItems(kSection, "", 0, n - 1, journal)) {
    const std::string key = std::to_string(i);
    std::uint32_t before = 0;
    std::string path;
    if (!ParseEntry(ReadIniString(kSection, key, journal), before, path)) continue;
    // A count not above its earlier value was never raised (the run died first) or has
    // been given back already (by a rollback, or a recovery that died itself).
    const std::uint32_t now = CountOf(path);
    if (now > before) {
      LowerSharedFileCountOnly(path);
      LogStep("count", path + " given back after an installation that did not end");
    }
    WriteIniString(kSection, key.c_str(), nullptr, journal);
  }
  ForgetCountJournal();
}

void ForgetCountJournal() {
  const std::string journal = CountJournalFile();
  if (!journal.empty()) DeleteFile(journal);
}

}  // namespace vx
