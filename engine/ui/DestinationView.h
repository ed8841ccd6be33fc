// What the destination page shows, the same in every UI: the drive table's columns and each
// drive's cells, and the page's two messages.
#pragma once
#include <array>
#include <string>

#include "engine/ui/WizardPages.h"

namespace vx {

enum DriveColumn : int {
  kDriveColumn,
  kCapacityColumn,
  kUsedColumn,
  kAvailableColumn,
  kRequiredColumn,
  kDriveColumnCount
};
extern const char* const kDriveColumnTitles[kDriveColumnCount];

// A fifth of the table's width each; "Capacity" takes what the other four leave.
int DriveColumnWidth(int column, int tableWidth);
// A drive's row: its root, and its capacity, used and free space and the space the chosen
// components need on it, in kilobytes as a person reads them.
std::array<std::string, kDriveColumnCount> DriveCells(const DestinationPage::DriveRow& drive);
std::string RequiredCell(const DestinationPage::DriveRow& drive);

// Shown (with a stop icon) when the script names more destinations than the page has rows.
extern const char* const kTooManyDestinationsText;
// Next on the page, its rows read from the controls: "" once the paths are written back; when
// one cannot be a folder nothing is written and the message to show is returned (the page
// stays).
std::string TakeNext(DestinationPage& page);

}  // namespace vx
