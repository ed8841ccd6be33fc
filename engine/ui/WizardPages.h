// What each wizard page reads from the install script and writes back, without any window.
// The headless wizard and the Qt pages both drive these.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/ControlIds.h"

namespace vx {

struct WelcomeContent {
  std::string text;     // WelcomeText with the product name
  std::string warning;  // CopyrightWarning
  std::string picture;  // ImgFileName, expanded
};
WelcomeContent LoadWelcomePage();

struct AgreementContent {
  std::string intro;    // LicenseIntro
  std::string license;  // the license file's text, or the fixed failure texts
};
AgreementContent LoadAgreementPage();
// A license longer than this is shown cut, followed by the note.
inline constexpr std::int64_t kLicenseShownBytes = 4 << 20;
std::string LicenseCutNote();

inline constexpr int kUserInfoFields = 3;  // name, company, e-mail

class UserInfoPage {
 public:
  struct Field {
    bool asked = false;
    std::string label;
    std::string value;
    const char* valueName = "";  // registry value written on Next
  };
  void Initialise();
  // Writes the asked fields in order; returns the index of the first empty one (the page
  // stays and beeps), or -1 when all were written.
  int Next();

  std::array<Field, kUserInfoFields> fields;  // name, company, e-mail
  std::string groupText;                      // "" when no field is asked
  std::string picture;
};

class SelectTypePage {
 public:
  void Initialise();
  void Select(int id);  // a radio button reported a click
  void Next();          // writes InstalledType

  std::vector<std::string> types;
  std::string selected;
  std::string description;
  std::string picture;
};

class ComponentPage {
 public:
  struct Row {
    int key = 0;  // the number of its line in the section
    std::string name;
    bool enabled = false;
    bool checked = false;
    bool disabledByUninstallAll = false;
    bool installed = false;  // maintenance: the product has it already
  };
  explicit ComponentPage(bool maintenanceMode = false) : maintenance_(maintenanceMode) {}
  void Activate();
  void Click(
      int id);  // < rows: a check box was toggled by the caller; >= kCtlItemLabelBase: a label
  void SetUninstallAll(bool checked);
  // Total text (TotalDiskSpace) of the checked rows, to the nearest kilobyte (halves down); in
  // maintenance only the rows that would be added count, as only they need space.
  std::string TotalText() const;
  long long TotalKilobytes() const;
  // The prompt, one line per row ("1: [x] Docs", " (fixed)" when locked) and the total: what
  // a scripted run records for the page.
  std::string Listing() const;
  enum class NextResult { Proceed, UninstallAll };
  NextResult Next();

  std::vector<Row> rows;
  std::string section;      // the listed install type section
  std::string description;  // of the last clicked row
  std::string picture;
  bool uninstallAll = false;
  bool maintenance() const { return maintenance_; }

 private:
  bool maintenance_;
};

// Splits a path into a drive root ("C:\") and a directory, as the destination page shows it.
void SplitDrivePath(const std::string& path, std::string& drive, std::string& directory);
bool SoundDestinationDirectory(const std::string& directory);
// The most install paths a script may name, one page row each.
inline constexpr int kDestinationRows = 7;

class DestinationPage {
 public:
  struct Row {
    std::string label;
    std::string drive;      // "" when the path's drive is not in the list
    std::string pathDrive;  // the drive of the path as read, listed or not
    std::string directory;
    bool editable = false;
  };
  struct DriveRow {
    std::string drive;
    std::uint64_t totalBytes = 0, freeBytes = 0;
    long long requiredKb = 0;
  };
  // False when the script names more than 7 destinations (the page then stays unfilled).
  bool Initialise();
  void Activate();                                              // recomputes the required column
  void ChangeDrive(std::size_t row, const std::string& drive);  // writes back, recomputes
  void WriteBack();
  void Next() { WriteBack(); }
  // The first editable row whose directory is empty (the path would be a drive's root, or
  // nothing), which Next is not to take; -1 when every row names a folder.
  int EmptyDirectoryRow() const;
  // The first path whose directory no Windows path can hold (a character of <>:"|?*, or
  // ".." climbing above its drive), drive included; "" when every path is sound.
  std::string UnsoundPath() const;

  std::vector<std::string> drives;
  std::vector<Row> rows;
  std::vector<DriveRow> table;
  bool filled = false;

 private:
  std::string type_;
};

std::string ReviewText();

struct CompletionContent {
  std::string text;  // RebootNeeded
  std::string more;  // MoreInstruct, expanded
  std::string picture;
};
CompletionContent LoadCompletionPage();

// Rewrites the last character of a list line (trailing blanks trimmed) as the selection flag.
std::string WithSelectedFlag(std::string line, bool selected);

}  // namespace vx
