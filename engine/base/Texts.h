// User-visible texts by id (39999 to 40070): the locale file's TEXT section (key "Res<id>",
// macro-expanded) when it holds a non-empty value, else the built-in text.
#pragma once
#include <concepts>
#include <initializer_list>
#include <span>
#include <string>

namespace vx {

// The ids of the user-visible texts. The numbers are part of the locale file's format
// (key "Res40021" replaces QuitQuestion), so they never change.
enum class TextId : int {
  WebSiteLink = 39999,
  Ok = 40000,
  Cancel = 40001,
  Yes = 40002,
  No = 40003,
  YesToAll = 40004,
  NoToAll = 40005,
  Browse = 40006,
  MenuFile = 40007,
  MenuExit = 40008,
  MenuHelp = 40009,
  MenuAbout = 40010,
  Next = 40011,
  Back = 40012,
  Start = 40013,
  Finish = 40014,
  Stop = 40015,
  ResolvingVariables = 40016,
  CopyingPreRequired = 40017,
  CheckingPreRequisite = 40018,
  NoPrivilegeQuestion = 40019,
  CheckingPrivilege = 40020,
  QuitQuestion = 40021,
  SearchStopped = 40022,
  SearchingForFile = 40023,
  BootstrapMissing = 40024,
  UnknownCommandLine = 40025,
  NewerFileQuestion = 40026,
  ReadOnlyOverwriteQuestion = 40027,
  SearchWait = 40028,
  SearchSeveralFound = 40029,
  SearchNotFound = 40030,
  InsertDiskPrompt = 40031,
  FilePathPrompt = 40032,
  ResponseFileMissing = 40033,
  UninstallAll = 40034,
  UninstallChosen = 40035,
  UninstallRemovesAll = 40036,
  UninstallCannotStop = 40037,
  UninstallCompleted = 40038,
  UninstallCaption = 40039,
  SharedFileUnusedQuestion = 40040,
  ReadOnlyDeleteQuestion = 40041,
  WelcomeTitle = 40042,
  WelcomeText = 40043,
  CopyrightWarning = 40044,
  LicenseTitle = 40045,
  LicenseIntro = 40046,
  UserInfoTitle = 40047,
  UserInfoGroup = 40048,
  UserName = 40049,
  UserCompany = 40050,
  UserEmail = 40051,
  EnterName = 40052,
  EnterCompany = 40053,
  EnterEmail = 40054,
  TypeTitle = 40055,
  SelectType = 40056,
  DescriptionLabel = 40057,
  ComponentsTitle = 40058,
  SelectComponents = 40059,
  TotalDiskSpace = 40060,
  ComponentsHelp = 40061,
  DestinationTitle = 40062,
  DestinationPrompt = 40063,
  SummaryTitle = 40064,
  SummaryIntro = 40065,
  SummaryText = 40066,
  CompletionTitle = 40067,
  RebootNeeded = 40068,
  LogNotWritten = 40069,
  NoRestartPrivilege = 40070,
};

std::string LoadText(TextId id);
// The built-in text of an id, "" for an unknown id.
const char* BuiltinText(TextId id);

// The string table, in id order, for tools that list it (the script reference).
struct TextRow {
  TextId id;
  const char* name;  // the id's name, as in TextId
  const char* text;  // the built-in text
};
std::span<const TextRow> TextTable();
// printf-style fill of a text that holds %s / %d placeholders, never overrunning.
std::string FormatText(const std::string& format, const std::string& arg);
std::string FormatText(const std::string& format, long long arg);

// One argument of FormatTextList: a text, or a number (also usable for %s).
struct FormatArg {
  FormatArg(const std::string& s);
  FormatArg(const char* s);
  FormatArg(long long n);
  template <std::integral T>
  FormatArg(T n) : FormatArg(static_cast<long long>(n)) {}
  bool isNumber = false;
  long long number = 0;
  std::string text;
};
// Fills %s, %d, %i, %u, %x, %c (with flags, width and precision) in order; "%%" is "%". The
// format may come from a locale file, so a directive without an argument gives nothing and
// an unknown one stays as written.
std::string FormatTextList(const std::string& format, std::initializer_list<FormatArg> args);

}  // namespace vx
