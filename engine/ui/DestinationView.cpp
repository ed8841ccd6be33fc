#include "engine/ui/DestinationView.h"

#include <algorithm>

#include "engine/ui/SizeText.h"

namespace vx {

namespace {

std::string Kilobytes(long long kb) {
  return KilobytesText(kb < 0 ? 0 : static_cast<std::uint64_t>(kb));
}

constexpr std::uint64_t kKilobyte = 1024;

}  // namespace

const char* const kDriveColumnTitles[kDriveColumnCount] = {"Drive", "Capacity", "Used", "Available",
                                                           "Required"};

int DriveColumnWidth(int column, int tableWidth) {
  const int w = tableWidth / kDriveColumnCount;
  return column == kCapacityColumn ? tableWidth - (kDriveColumnCount - 1) * w : w;
}

std::array<std::string, kDriveColumnCount> DriveCells(const DestinationPage::DriveRow& drive) {
  const std::uint64_t used = drive.totalBytes - std::min(drive.freeBytes, drive.totalBytes);
  return {drive.drive, Kilobytes(static_cast<long long>(drive.totalBytes / kKilobyte)),
          Kilobytes(static_cast<long long>(used / kKilobyte)),
          Kilobytes(static_cast<long long>(drive.freeBytes / kKilobyte)), RequiredCell(drive)};
}

std::string RequiredCell(const DestinationPage::DriveRow& drive) {
  return Kilobytes(drive.requiredKb);
}

const char* const kTooManyDestinationsText =
    "Vx Installer supports up to 7 install destinations only. Please contact Tessaro Solutions "
    "for technical assistance.";

std::string TakeNext(DestinationPage& page) {
  const std::string bad = page.UnsoundPath();
  if (!bad.empty())
    return "The destination \"" + bad + "\" cannot be a folder name. Please choose another one.";
  page.Next();
  return {};
}

}  // namespace vx
