#include "engine/base/Texts.h"

#include <algorithm>
#include <cstdio>

#include "engine/base/Macros.h"
#include "engine/base/Store.h"
#include "platform/Profile.h"

namespace vx {

namespace {

// The engine's string table. Texts are kept exactly as shipped, spelling and spacing
// included, because locale files and vendor documentation quote them.
#define VX_TEXT(name) TextId::name, #name
constexpr TextRow kTexts[] = {
    {VX_TEXT(WebSiteLink), "Click here to visit our web site for product news, updates and more."},
    {VX_TEXT(Ok), "OK"},
    {VX_TEXT(Cancel), "Cancel"},
    {VX_TEXT(Yes), "Yes"},
    {VX_TEXT(No), "No"},
    {VX_TEXT(YesToAll), "Yes to all"},
    {VX_TEXT(NoToAll), "No to all"},
    {VX_TEXT(Browse), "Browse"},
    {VX_TEXT(MenuFile), "File"},
    {VX_TEXT(MenuExit), "Exit"},
    {VX_TEXT(MenuHelp), "Help"},
    {VX_TEXT(MenuAbout), "About"},
    {VX_TEXT(Next), "Next"},
    {VX_TEXT(Back), "Back"},
    {VX_TEXT(Start), "Start"},
    {VX_TEXT(Finish), "Finish"},
    {VX_TEXT(Stop), "Stop"},
    {VX_TEXT(ResolvingVariables), "Resolving variables..."},
    {VX_TEXT(CopyingPreRequired), "Copying pre-required files..."},
    {VX_TEXT(CheckingPreRequisite), "Checking for pre-requisite..."},
    {VX_TEXT(NoPrivilegeQuestion),
     "The system indicates that the user \"%s\" does not have sufficient privilege to install "
     "this product on to this computer. Please terminate the current installation now,  log "
     "out from the system and then log in as the administrator to install it again.\n\nWould "
     "you like to terminate the install now?"},
    {VX_TEXT(CheckingPrivilege), "Checking the privilege of the current user..."},
    {VX_TEXT(QuitQuestion),
     "WARNING: The installation has not been completed yet. If you quit it now, no file from "
     "this product will be copied to your computer, and you have to reinstall this product "
     "later on if you need it.\n\r\n\rDo you want to quit now?"},
    {VX_TEXT(SearchStopped), "The search for the file has been stopped."},
    {VX_TEXT(SearchingForFile), "Searching for file"},
    {VX_TEXT(BootstrapMissing),
     "File Install.ini is missing!\n\nTo uninstall or modify your existing installation, "
     "please run the appropriate shortcut such as Install or Uninstall. You also can open "
     "Add/Remove Programs from Control Panel to uninstall this product."},
    {VX_TEXT(UnknownCommandLine), "An unknown command line has been passed to the Installer."},
    {VX_TEXT(NewerFileQuestion),
     "A newer version of \"%s\" already exists on your computer. Do you want to replace it "
     "with an older version?"},
    {VX_TEXT(ReadOnlyOverwriteQuestion),
     "The file \"%s\" with read-only attribute already exists on your computer. Do you want "
     "to overwrite it anyway?"},
    {VX_TEXT(SearchWait),
     "Please wait while the installer is searching for the path where the file %s is "
     "located. This process will take a while."},
    {VX_TEXT(SearchSeveralFound),
     "The installer has found more than one directories that contain the searched file. "
     "Please select the most appropriate one to continue with."},
    {VX_TEXT(SearchNotFound),
     "The installer could not find the searched file on any drive of this computer."},
    {VX_TEXT(InsertDiskPrompt),
     "Please insert disk %d containing file \"%s\" into drive %s. Or specify the full path "
     "where this file exists."},
    {VX_TEXT(FilePathPrompt), "Please specify the full path where file \"%s\" exists."},
    {VX_TEXT(ResponseFileMissing), ": The required response file is missing."},
    {VX_TEXT(UninstallAll), "Uninstall all "},
    {VX_TEXT(UninstallChosen),
     "You have chosen to uninstall the selected product from your computer. If you need to "
     "use this product later on, you have to install it again."},
    {VX_TEXT(UninstallRemovesAll),
     "WARNING: The uninstall will remove all files in the directories where the product is "
     "installed. If there is any files that you don't want to be removed, please copy them "
     "to a different location now."},
    {VX_TEXT(UninstallCannotStop),
     "The uninstall process cannot be stopped once it is started. Do you still want to "
     "proceed now?"},
    {VX_TEXT(UninstallCompleted),
     "The uninstall has been completed. Files that you created yourself may remain and can "
     "be removed by hand."},
    {VX_TEXT(UninstallCaption), "Uninstall "},
    {VX_TEXT(SharedFileUnusedQuestion),
     "The system indicates that the shared file \"%s\" is no longer used by any other "
     "product, and therefore is safe to be removed from your hard disk. Do you want it to "
     "be removed now?"},
    {VX_TEXT(ReadOnlyDeleteQuestion),
     "The file \"%s\" to be deleted has the read-only attribute. Do you want to delete it "
     "anyway?"},
    {VX_TEXT(WelcomeTitle), "Welcome"},
    {VX_TEXT(WelcomeText),
     "Welcome to the installation wizard of %s .\r\rThis wizard will guide you through the "
     "installation. You may go back to any previous step by pressing 'Back' button to make "
     "changes. Click 'Cancel' if you wish to quit the installation. To continue, press "
     "'Next'."},
    {VX_TEXT(CopyrightWarning),
     "WARNING: This program is protected by copyright law and international treaties.\r\n\r\n"
     "Unauthorized reproduction or distribution of this program, or any portion of it, may "
     "result in severe civil and criminal penalties, and will be prosecuted to the maximum "
     "extent possible under the law."},
    {VX_TEXT(LicenseTitle), "License Agreement"},
    {VX_TEXT(LicenseIntro),
     "Please read the following license agreement. Once you have read it and accept the "
     "terms and conditions, press 'Yes' to continue the installation; otherwise, press 'No' "
     "to quit the installation now."},
    {VX_TEXT(UserInfoTitle), "Information"},
    {VX_TEXT(UserInfoGroup), "About yourself"},
    {VX_TEXT(UserName), "Your name:"},
    {VX_TEXT(UserCompany), "Company:"},
    {VX_TEXT(UserEmail), "E-mail:"},
    {VX_TEXT(EnterName), "Please enter your name."},
    {VX_TEXT(EnterCompany), "Please enter the name of your company."},
    {VX_TEXT(EnterEmail), "Please enter your e-mail address."},
    {VX_TEXT(TypeTitle), "Type"},
    {VX_TEXT(SelectType), "Select install type"},
    {VX_TEXT(DescriptionLabel), "Description:"},
    {VX_TEXT(ComponentsTitle), "Components"},
    {VX_TEXT(SelectComponents), "Select components:"},
    {VX_TEXT(TotalDiskSpace), "Total disk space required (KB):  %d"},
    {VX_TEXT(ComponentsHelp),
     "Please check the components that you want to install, and clear those that you do "
     "not want."},
    {VX_TEXT(DestinationTitle), "Destination"},
    {VX_TEXT(DestinationPrompt),
     "Please specify the drive(s) and path(s) for this product to be installed to."},
    {VX_TEXT(SummaryTitle), "Summary"},
    {VX_TEXT(SummaryIntro),
     "Your selections are summarized below. Press 'Start' to confirm these selections and "
     "begin the installation and configuration."},
    {VX_TEXT(SummaryText),
     "Install type:\r\n\t%s\r\nSelected Components:\r\n\t%s\r\nInstall Paths:\r\n\t%s"},
    {VX_TEXT(CompletionTitle), "Completion"},
    {VX_TEXT(RebootNeeded),
     "Installation and setup are completed successfully. However, you must reboot your "
     "computer to complete the installation."},
    {VX_TEXT(LogNotWritten),
     "The installation log file could not be written. The installation goes on without a "
     "log file."},
    {VX_TEXT(NoRestartPrivilege),
     "The system indicates that you do not have the privilege to restart this computer from "
     "the install program. You must manually restart this computer as soon as you finish the "
     "installation."},
    // Texts the engine added later: the completion without a pending restart, the rollback
    // heading and the notice of a failed run.
    {VX_TEXT(CompletedNoRestart), "Installation and setup are completed successfully."},
    {VX_TEXT(RollingBack), "Rolling back: "},
    {VX_TEXT(FailureNotice),
     "The installation could not be completed and has stopped.\r\n\r\nReason: %s"},
};

#undef VX_TEXT

constexpr int kFirstId = static_cast<int>(TextId::WebSiteLink);
constexpr int kLastId = static_cast<int>(TextId::FailureNotice);
static_assert(std::size(kTexts) == kLastId - kFirstId + 1, "one text for every id");

// Every row sits at its id's place, so that a lookup is an index.
constexpr bool RowsInIdOrder() {
  for (std::size_t i = 0; i < std::size(kTexts); ++i)
    if (static_cast<int>(kTexts[i].id) != kFirstId + static_cast<int>(i)) return false;
  return true;
}
static_assert(RowsInIdOrder(), "the string table is in id order without gaps");

// Appends `text` padded to `width` (left-justified with `left`).
void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool left, char pad) {
  std::size_t fill = width > text.size() ? width - text.size() : 0;
  if (!left) out.append(fill, pad);
  out.append(text);
  if (left) out.append(fill, ' ');
}

}  // namespace

FormatArg::FormatArg(const std::string& s) : text(s) {}
FormatArg::FormatArg(const char* s) : text(s ? s : "") {}
FormatArg::FormatArg(long long n) : isNumber(true), number(n), text(std::to_string(n)) {}

std::span<const TextRow> TextTable() { return kTexts; }

const char* BuiltinText(TextId textId) {
  int id = static_cast<int>(textId);
  if (id < kFirstId || id > kLastId) return "";
  return kTexts[id - kFirstId].text;
}

std::string LoadText(TextId id) {
  std::string locale = GetLocaleFile();
  if (!locale.empty()) {
    std::string value = GetPrivateProfileString(
        "TEXT", "Res" + std::to_string(static_cast<int>(id)), "", locale, kProfileBuffer);
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
    while (i < format.size() &&
           std::string_view("-+ #0").find(format[i]) != std::string_view::npos) {
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
    while (i < format.size() &&
           std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
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
        if (arg)
          text = arg->isNumber ? std::string(1, static_cast<char>(arg->number))
                               : arg->text.substr(0, 1);
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
