#include "engine/base/Texts.h"

#include <algorithm>
#include <cstdio>

#include "engine/base/Macros.h"
#include "engine/base/Store.h"
#include "platform/Profile.h"

namespace vx {

namespace {

struct TextEntry {
  int id;
  const char* text;
};

// The engine's string table. Texts are kept exactly as shipped, spelling and spacing
// included, because locale files and vendor documentation quote them.
constexpr TextEntry kTexts[] = {
    {39999, "Click here to visit our web site for product news, updates and more."},
    {40000, "OK"},
    {40001, "Cancel"},
    {40002, "Yes"},
    {40003, "No"},
    {40004, "Yes to all"},
    {40005, "No to all"},
    {40006, "Browse"},
    {40007, "File"},
    {40008, "Exit"},
    {40009, "Help"},
    {40010, "About"},
    {40011, "Next"},
    {40012, "Back"},
    {40013, "Start"},
    {40014, "Finish"},
    {40015, "Stop"},
    {40016, "Resolving variables..."},
    {40017, "Copying pre-required files..."},
    {40018, "Checking for pre-requisite..."},
    {40019,
     "The system indicates that the user \"%s\" does not have sufficient privilege to install "
     "this product on to this computer. Please terminate the current installation now,  log "
     "out from the system and then log in as the administrator to install it again.\n\nWould "
     "you like to terminate the install now?"},
    {40020, "Checking the privilege of the current user..."},
    {40021,
     "WARNING: The installation has not been completed yet. If you quit it now, no file from "
     "this product will be copied to your computer, and you have to reinstall this product "
     "later on if you need it.\n\r\n\rDo you want to quit now?"},
    {40022, "The search for the file has been stopped."},
    {40023, "Searching for file"},
    {40024,
     "File Install.ini is missing!\n\nTo uninstall or modify your existing installation, "
     "please run the appropriate shortcut such as Install or Uninstall. You also can open "
     "Add/Remove Programs from Control Panel to uninstall this product."},
    {40025, "An unknown command line has been passed to the Installer."},
    {40026,
     "A newer version of \"%s\" already exists on your computer. Do you want to replace it "
     "with an older version?"},
    {40027,
     "The file \"%s\" with read-only attribute already exists on your computer. Do you want "
     "to overwrite it anyway?"},
    {40028,
     "Please wait while the installer is searching for the path where the file %s is "
     "located. This process will take a while."},
    {40029,
     "The installer has found more than one directories that contain the searched file. "
     "Please select the most appropriate one to continue with."},
    {40030, "The installer could not find the searched file on any drive of this computer."},
    {40031,
     "Please insert disk %d containing file \"%s\" into drive %s. Or specify the full path "
     "where this file exists."},
    {40032, "Please specify the full path where file \"%s\" exists."},
    {40033, ": The required response file is missing."},
    {40034, "Uninstall all "},
    {40035,
     "You have chosen to uninstall the selected product from your computer. If you need to "
     "use this product later on, you have to install it again."},
    {40036,
     "WARNING: The uninstall will remove all files in the directories where the product is "
     "installed. If there is any files that you don't want to be removed, please copy them "
     "to a different location now."},
    {40037,
     "The uninstall process cannot be stopped once it is started. Do you still want to "
     "proceed now?"},
    {40038,
     "The uninstall has been completed. Files that you created yourself may remain and can "
     "be removed by hand."},
    {40039, "Uninstall "},
    {40040,
     "The system indicates that the shared file \"%s\" is no longer used by any other "
     "product, and therefore is safe to be removed from your hard disk. Do you want it to "
     "be removed now?"},
    {40041,
     "The file \"%s\" to be deleted has the read-only attribute. Do you want to delete it "
     "anyway?"},
    {40042, "Welcome"},
    {40043,
     "Welcome to the installation wizard of %s .\r\rThis wizard will guide you through the "
     "installation. You may go back to any previous step by pressing 'Back' button to make "
     "changes. Click 'Cancel' if you wish to quit the installation. To continue, press "
     "'Next'."},
    {40044,
     "WARNING: This program is protected by copyright law and international treaties.\r\n\r\n"
     "Unauthorized reproduction or distribution of this program, or any portion of it, may "
     "result in severe civil and criminal penalties, and will be prosecuted to the maximum "
     "extent possible under the law."},
    {40045, "License Agreement"},
    {40046,
     "Please read the following license agreement. Once you have read it and accept the "
     "terms and conditions, press 'Yes' to continue the installation; otherwise, press 'No' "
     "to quit the installation now."},
    {40047, "Information"},
    {40048, "About yourself"},
    {40049, "Your name:"},
    {40050, "Company:"},
    {40051, "E-mail:"},
    {40052, "Please enter your name."},
    {40053, "Please enter the name of your company."},
    {40054, "Please enter your e-mail address."},
    {40055, "Type"},
    {40056, "Select install type"},
    {40057, "Description:"},
    {40058, "Components"},
    {40059, "Select components:"},
    {40060, "Total disk space required (KB):  %d"},
    {40061,
     "Please check the components that you want to install, and clear those that you do "
     "not want."},
    {40062, "Destination"},
    {40063, "Please specify the drive(s) and path(s) for this product to be installed to."},
    {40064, "Summary"},
    {40065,
     "Your selections are summarized below. Press 'Start' to confirm these selections and "
     "begin the installation and configuration."},
    {40066,
     "Install type:\r\n\t%s\r\nSelected Components:\r\n\t%s\r\nInstall Paths:\r\n\t%s"},
    {40067, "Completion"},
    {40068,
     "Installation and setup are completed successfully. However, you must reboot your "
     "computer to complete the installation."},
    {40069,
     "The installation log file could not be written. The installation goes on without a "
     "log file."},
    {40070,
     "The system indicates that you do not have the privilege to restart this computer from "
     "the install program. You must manually restart this computer as soon as you finish the "
     "installation."},
    // Texts the engine added later: the completion without a pending restart, the rollback
    // heading, the word that an uninstall has ended and the notice of a failed run.
    {40071, "Installation and setup are completed successfully."},
    {40072, "Rolling back: "},
    {40073, "%s has been removed from your computer."},
    {40074,
     "The installation could not be completed and has stopped.\r\n\r\nReason: %s"},
};

constexpr int kFirstId = 39999;
constexpr int kLastId = 40074;
static_assert(std::size(kTexts) == kLastId - kFirstId + 1, "one text for every id");

// Appends `text` padded to `width` (left-justified with `left`).
void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool left,
                  char pad) {
  std::size_t fill = width > text.size() ? width - text.size() : 0;
  if (!left) out.append(fill, pad);
  out.append(text);
  if (left) out.append(fill, ' ');
}

}  // namespace

FormatArg::FormatArg(const std::string& s) : text(s) {}
FormatArg::FormatArg(const char* s) : text(s ? s : "") {}
FormatArg::FormatArg(long long n) : isNumber(true), number(n), text(std::to_string(n)) {}

const char* BuiltinText(int id) {
  if (id < kFirstId || id > kLastId) return "";
  return kTexts[id - kFirstId].text;
}

std::string LoadText(int id) {
  std::string locale = GetLocaleFile();
  if (!locale.empty()) {
    std::string value = GetPrivateProfileString("TEXT", "Res" + std::to_string(id), "", locale,
                                                kProfileBuffer);
    if (!value.empty()) {
      ExpandFully(value);  // a locale text goes on as expanded, whatever the result
      return value;
    }
  }
  return BuiltinText(id);
}

std::string FormatTextList(const std::string& format, std::initializer_list<FormatArg> args) {
  // Locale files may replace any text, so the format is untrusted: it is interpreted here
  // rather than handed to printf, and a directive without an argument gives nothing.
  constexpr std::size_t kMaxWidth = 1024;
  std::string out;
  auto next = args.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    bool left = false;
    char pad = ' ';
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) {
      if (format[i] == '-') left = true;
      if (format[i] == '0') pad = '0';
      ++i;
    }
    std::size_t width = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
      width = std::min(kMaxWidth, width * 10 + static_cast<std::size_t>(format[i] - '0'));
      ++i;
    }
    std::size_t precision = std::string::npos;
    if (i < format.size() && format[i] == '.') {
      ++i;
      precision = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        precision = std::min(kMaxWidth, precision * 10 + static_cast<std::size_t>(format[i] - '0'));
        ++i;
      }
    }
    while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
      ++i;
    if (i >= format.size()) {  // a directive cut off by the end of the text stays as written
      out.append(format, start, std::string::npos);
      break;
    }
    char conv = format[i++];
    const FormatArg* arg = next != args.end() ? &*next : nullptr;
    std::string text;
    switch (conv) {
      case 's':
        if (arg) text = arg->text;
        if (precision != std::string::npos && text.size() > precision) text.resize(precision);
        break;
      case 'd':
      case 'i':
      case 'u':
        if (arg) text = arg->text;
        break;
      case 'x':
      case 'X':
        if (arg && arg->isNumber) {
          char buf[32];
          std::snprintf(buf, sizeof buf, conv == 'x' ? "%llx" : "%llX",
                        static_cast<unsigned long long>(arg->number));
          text = buf;
        } else if (arg) {
          text = arg->text;
        }
        break;
      case 'c':
        if (arg) text = arg->isNumber ? std::string(1, static_cast<char>(arg->number)) : arg->text.substr(0, 1);
        break;
      default:  // not a directive this engine fills: keep it literally
        out.append(format, start, i - start);
        continue;
    }
    if (arg) ++next;
    AppendPadded(out, text, width, left, conv == 's' || conv == 'c' ? ' ' : pad);
  }
  return out;
}

std::string FormatText(const std::string& format, const std::string& arg) {
  return FormatTextList(format, {FormatArg(arg)});
}

std::string FormatText(const std::string& format, long long arg) {
  return FormatTextList(format, {FormatArg(arg)});
}

}  // namespace vx
