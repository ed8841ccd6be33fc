#include "tools/vxpack/ReferenceData.h"

#include "platform/WinPath.h"

namespace vx::pack {

namespace {

constexpr KeyDoc kKeys[] = {
    // [<General>]
    {"<General>", "ProductName", "", "text", "",
     "the product's name: {ProductName}, the welcome text, the uninstall entry's key and "
     "`DisplayName`"},
    {"<General>", "ProjectName", "", "text", "",
     "base name of the script (`PROJECT.inf`), of the self-extractor and of the package disks; "
     "{ProductInfFile} is this plus `.inf`"},
    {"<General>", "VendorName", "", "text", "",
     "{VendorName}; the user information key `Software\\{VendorName}\\{ProductName}\\UserInfo`; "
     "the uninstall entry's `Publisher` when `Publisher` is not given"},
    {"<General>", "VendorEmail", "", "text", "", "not read"},
    {"<General>", "FolderName", "", "text", "",
     "the program-menu folder of the product, part of {ProductFolder}"},
    {"<General>", "TotalDisks", "", "integer", "0",
     "number of package disks; `vxpack` fills it in"},
    {"<General>", "WinCaption", "", "text", "", "not read"},
    {"<General>", "ProductVersion", "", "text", "",
     "the uninstall entry's `DisplayVersion`; `vxpack --check` warns when it is missing"},
    {"<General>", "Publisher", "", "text", "`VendorName`", "the uninstall entry's `Publisher`"},
    {"<General>", "URLInfoAbout", "", "text", "",
     "the uninstall entry's `URLInfoAbout` (the product's web page)"},
    {"<General>", "HelpLink", "", "text", "", "the uninstall entry's `HelpLink`"},
    {"<General>", "DisplayIcon", "", "path, macros", "",
     "the uninstall entry's `DisplayIcon` (`{InstallPath1}App.exe,0`)"},
    {"<General>", "NoModify", "", "0 or 1", "0",
     "1: the uninstall entry's `NoModify` is 1 (no Change button)"},
    {"<General>", "NoRepair", "", "0 or 1", "0",
     "1: the uninstall entry's `NoRepair` is 1 (no Repair button)"},
    // [<Destinations>]
    {"<Destinations>", "PathWndVisible", "", "0 or 1", "0", "1: the destination page is shown"},
    {"<Destinations>", "nItems", "", "integer", "0", "number of destinations (at most 7)"},
    {"<Destinations>", "Description", "`Description1`, `Description2` ...", "text", "",
     "label of destination N on the destination page"},
    {"<Destinations>", "InstallPath", "`InstallPath1`, `InstallPath2` ...", "path, macros", "",
     "install folder N: the value of {InstallPath1} ... (always read with a trailing backslash); "
     "written back with the user's choice, a response file's or `/DIR=`"},
    {"<Destinations>", "PathEditable", "`PathEditable1`, `PathEditable2` ...", "0 or 1", "0",
     "1: the user may change destination N"},
    // [<ScreenLayout>]
    {"<ScreenLayout>", "Style1", "", "integer", "0",
     "not 0: the backdrop has no frame and no caption; 0: framed, captioned `MsgBoxCaption`"},
    {"<ScreenLayout>", "Style2", "", "integer", "0",
     "0: backdrop of the screen's size; 1: 640 by 480; 2: no backdrop"},
    {"<ScreenLayout>", "WinBkColor", "", "colour 0x00BBGGRR", "0",
     "background colour; 0 (black) paints no background"},
    {"<ScreenLayout>", "ColorGradient", "", "0 or 1", "0",
     "1: the blue channel falls from 255 at the top towards 0 at the bottom"},
    {"<ScreenLayout>", "BitBltStyle", "", "picture style", "0",
     "how `ImgFileName` is drawn (see Picture styles)"},
    {"<ScreenLayout>", "ImgFileName", "", "path, macros", "",
     "the backdrop picture (BMP, GIF or JPEG)"},
    {"<ScreenLayout>", "MainTitle", "", "text", "", "the main title, shown as written (no macros)"},
    {"<ScreenLayout>", "MTitleX", "", "placement", "0", "horizontal placement of the main title"},
    {"<ScreenLayout>", "MTitleY", "", "placement", "0", "vertical placement of the main title"},
    {"<ScreenLayout>", "MainFont", "", "font", "", "font and colour of the main title (see Fonts)"},
    {"<ScreenLayout>", "SubTitle", "", "text", "", "the sub title, shown as written"},
    {"<ScreenLayout>", "STitleX", "", "placement", "0", "horizontal placement of the sub title"},
    {"<ScreenLayout>", "STitleY", "", "placement", "0",
     "vertical placement of the sub title; equal to `MTitleY`: right under the main title"},
    {"<ScreenLayout>", "SubFont", "", "font", "", "font and colour of the sub title"},
    {"<ScreenLayout>", "ProgressWndX", "", "placement", "0",
     "horizontal place of the progress window: 0 left edge, 1 centred, 2 right edge, other: 0"},
    {"<ScreenLayout>", "ProgressWndY", "", "placement", "0",
     "vertical place of the progress window, likewise"},
    {"<ScreenLayout>", "MsgBoxCaption", "", "text", "",
     "caption of every message box and dialog, and of a framed backdrop"},
    {"<ScreenLayout>", "WinCaption", "", "text", "", "not read"},
    // [<VariableList>]
    {"<VariableList>", "nItems", "", "integer", "0", "number of user variables"},
    {"<VariableList>", "Variable", "`Variable1`, `Variable2` ...", "name", "",
     "name of user variable N, without braces; {Name} in any text stands for its value"},
    {"<VariableList>", "Value", "`Value1`, `Value2` ...", "text, macros", "",
     "its value; expanded once before the wizard and written back expanded"},
    {"<VariableList>", "Description", "`Description1` ...", "text", "", "not read"},
    // [<PreActions>]
    {"<PreActions>", "nItems", "", "integer", "0", "number of action lines run before the wizard"},
    {"<PreActions>", "DefLocale", "", "file name", "",
     "the locale file beside the script (section `TEXT`, keys `Res40000` ...); copied next to the "
     "installed script"},
    {"<PreActions>", "", "`0`, `1` ...", "action line", "",
     "run in order before the wizard; not expanded as a whole"},
    // Pages
    {"<WelcomeWnd>", "SkipThis", "", "0 or 1", "0", "1: the welcome page is not shown"},
    {"<WelcomeWnd>", "ImgFileName", "", "path, macros", "", "picture of the page"},
    {"<LicenseWnd>", "SkipThis", "", "0 or 1", "0", "1: the license page is not shown"},
    {"<LicenseWnd>", "LicenseFile", "", "path, macros", "", "text file shown for agreement"},
    {"<LicenseWnd>", "ImgFileName", "", "path, macros", "", "picture of the page"},
    {"<UserInfoWnd>", "SkipThis", "", "0 or 1", "0", "1: the user information page is not shown"},
    {"<UserInfoWnd>", "ImgFileName", "", "path, macros", "", "picture of the page"},
    {"<UserInfoWnd>", "AskUserName", "", "0 or 1", "0",
     "1: ask the user's name (value `RegisteredOwner`)"},
    {"<UserInfoWnd>", "AskCompany", "", "0 or 1", "0",
     "1: ask the company (value `RegisteredOrganization`)"},
    {"<UserInfoWnd>", "AskEmail", "", "0 or 1", "0",
     "1: ask the e-mail address (value `UserEmail`)"},
    {"<InstTypeListWnd>", "nItems", "", "integer", "0",
     "number of install types; 0: no install type page"},
    {"<InstTypeListWnd>", "ImgFileName", "", "path, macros", "", "picture of the page"},
    {"<InstTypeListWnd>", "", "`0`, `1` ...", "section name", "",
     "an install type: the name of its section"},
    {"<CompListWnd>", "nItems", "", "integer", "0", "number of components"},
    {"<CompListWnd>", "ImgFileName", "", "path, macros", "", "picture of the component page"},
    {"<CompListWnd>", "", "`0`, `1` ...", "component line", "",
     "`SECTION | ENABLED | SELECTED`: the component's section, 1 when the user may change it, 1 "
     "when chosen"},
    {"<InstSummaryWnd>", "SkipThis", "", "0 or 1", "0", "1: the summary page is not shown"},
    {"<InstSummaryWnd>", "ImgFileName", "", "path, macros", "", "picture of the page"},
    {"<InstSummaryWnd>", "InstalledType", "", "section name", "",
     "the list that says what this run installs (`<CompListWnd>` or an install type's section); "
     "{InstallType}"},
    {"<InstSummaryWnd>", "InstalledFrom", "", "folder", "",
     "written by the engine: where the product was installed from"},
    {"<CompletionWnd>", "SkipThis", "", "0 or 1", "0",
     "1: the completion page is not shown (never shown in an unattended run)"},
    {"<CompletionWnd>", "ImgFileName", "", "path, macros", "", "picture of the page"},
    {"<CompletionWnd>", "MoreInstruct", "", "text", "", "the text of the completion page"},
    {"<CompletionWnd>", "nItems", "", "integer", "0", "number of completion action lines"},
    {"<CompletionWnd>", "", "`0`, `1` ...", "action line", "",
     "run after the installation; not expanded as a whole"},
    {"<Uninstall>", "SkipThis", "", "0 or 1", "0",
     "1: nothing is registered (no uninstaller, no uninstall entry)"},
    {"<Uninstall>", "PrenItems", "", "integer", "0",
     "number of action lines run before the files are removed"},
    {"<Uninstall>", "PostnItems", "", "integer", "0",
     "number of action lines run after the files are removed"},
    {"<Uninstall>", "Pre", "`Pre0`, `Pre1` ...", "action line", "",
     "run before removal, expanded first"},
    {"<Uninstall>", "Post", "`Post0`, `Post1` ...", "action line", "",
     "run after removal, expanded first"},
    {"{Temp}", "nItems", "", "integer", "0", "number of pre-required files"},
    {"{Temp}", "ComponentSize", "", "integer", "", "not read"},
    {"{Temp}", "", "`0`, `1` ...", "file line", "",
     "a file unpacked into the temporary folder before the wizard; a bare name comes from the "
     "source tree's `$Temp` folder"},
    {"{Temp}", "{}", "`{InstallPath1}`, `{Windows}`, `{Temp}`", "integer", "", "not read"},
    {"InstalledComponents", "nItems", "", "integer", "0",
     "written by the engine: number of installed components"},
    {"InstalledComponents", "", "`0`, `1` ...", "section name", "",
     "written by the engine: the installed components"},
    // A component section
    {"component", "Description", "", "text", "",
     "the component page's description of the component"},
    {"component", "ComponentSize", "", "integer (bytes)", "",
     "filled in by `vxpack`: every byte of the component's files; the uninstall entry's "
     "`EstimatedSize` adds them up"},
    {"component", "nItems", "", "integer", "0", "number of file and action lines"},
    {"component", "StartDisk", "", "integer", "0",
     "filled in by `vxpack`: the package disk of the first file"},
    {"component", "nIcons", "", "integer", "0", "number of shortcut lines"},
    {"component", "", "`0`, `1` ...", "file line or action line", "",
     "see File lines and Action lines"},
    {"component", "Icon", "`Icon0`, `Icon1` ...", "shortcut line", "", "see Shortcut lines"},
    {"component", "Tree", "`Tree0`, `Tree1` ...", "tree line", "",
     "for `vxpack` only: a whole folder, expanded into file lines (see Tree lines)"},
    {"component", "{}", "`{InstallPath1}` ..., `{Windows}`, `{Temp}`", "integer (bytes)", "",
     "filled in by `vxpack`: bytes the component puts in that place, shown on the pages"},
    // An install type's section
    {"install type", "nItems", "", "integer", "0", "number of component lines"},
    {"install type", "Description", "", "text", "", "the install type page's description"},
    {"install type", "ShowComponents", "", "0 or 1", "0",
     "1: the component page follows for this type"},
    {"install type", "", "`0`, `1` ...", "component line", "", "as in `[<CompListWnd>]`"},
};

constexpr ActionDoc kActions[] = {
    {1, "? | If ({OS} == WINNT) | 1 | Check user privilege | "},
    {2, "? | If (1 == 1) | 2 | Choose the data folder | {InstallPath2} | {InstallPath1}Data"},
    {3,
     "? | If (1 == 1) | 3 | Remember the folder | {Windows}\\Demo.ini | Settings | Home | "
     "{InstallPath1}"},
    {4,
     "? | If (1 == 1) | 4 | Register | HKEY_LOCAL_MACHINE | Software\\Acme\\Demo | Path | "
     "{InstallPath1}"},
    {5,
     "? | If (1 == 1) | 5 | Add to PATH | C:\\Autoexec.bat | SET PATH= |  | SET "
     "PATH=%PATH%;{InstallPath1} |  | 0, 0, 0, 0, 0"},
    {6, "? | If (1 == 1) | 6 | Remove old pictures | Del {Temp}\\*.gif | 2 | 0"},
    {7, "? | If (1 == 1) | 7 | Set up the database | {InstallPath1}Setup.exe | /quiet | 1 | 1"},
    {8, "? | If ({YesNoResponse} == YES) | 8 | Read the notes | {InstallPath1}Notes.htm | 1 | -1"},
    {9,
     "? | If (1 == 1) | 9 | Register the server | {InstallPath1}Server.dll | DllRegisterServer | "
     "0"},
    {10, "? | If (1 == 1) | 10 | Show slide | Slide1.gif"},
    {11, "? | If (1 == 1) | 11 | Welcome | {Temp}\\Hello.wav | 0"},
    {12, "? | If (1 == 1) | 12 | Ask | Read the notes now? | 1 | 1"},
    {13, "? | If (1 == 1) | 13 | Edition | Choose an edition | Home | Office"},
    {14, "? | If (1 == 1) | 14 | Wait | 3"},
    {15, "? | If ({SelectedStringIndex} == 1) | 15 | Stop | "},
    {16, "? | If (1 == 1) | 16 | Reboot computer | "},
};

}  // namespace

const KeyDoc* FindKeyDoc(std::string_view section, std::string_view key) {
  for (const KeyDoc& k : kKeys)
    if (winpath::EqualsNoCase(k.section, section) && winpath::EqualsNoCase(k.key, key)) return &k;
  return nullptr;
}

const ActionDoc* FindActionDoc(int code) {
  for (const ActionDoc& a : kActions)
    if (a.code == code) return &a;
  return nullptr;
}

}  // namespace vx::pack
