#include "tests/windows/wizard/SampleProduct.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "engine/base/EngineRun.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"

namespace vx::test {

std::vector<std::string> SampleScript(const std::string& folder) {
  return {"[<General>]",
          "ProductName=Demo",
          "VendorName=Acme",
          "[<LicenseWnd>]",
          "LicenseFile=" + folder + "License.txt",
          "[<UserInfoWnd>]",
          "AskUserName=1",
          "AskCompany=1",
          "[<InstTypeListWnd>]",
          "nItems=2",
          "0=Typical",
          "1=Custom",
          "[Typical]",
          "Description=The programs most people use.",
          "nItems=1",
          "0=Base | 0 | 1",
          "[Custom]",
          "Description=Choose the parts yourself.",
          "ShowComponents=1",
          "nItems=3",
          "0=Base | 0 | 1",
          "1=Docs | 1 | 0",
          "2=Tools | 1 | 1",
          "[Base]",
          "Description=The program itself.",
          "ComponentSize=2693269",
          "{InstallPath1}=2693269",
          "[Docs]",
          "Description=Manuals and samples.",
          "ComponentSize=1048576",
          "{InstallPath1}=1048576",
          "[Tools]",
          "ComponentSize=524288",
          "{InstallPath2}=524288",
          "[<Destinations>]",
          "PathWndVisible=1",
          "nItems=2",
          "Description1=Program:",
          "InstallPath1=C:\\Program Files\\Demo",
          "PathEditable1=1",
          "Description2=Data:",
          "InstallPath2=C:\\Data",
          "PathEditable2=0",
          "[<InstSummaryWnd>]",
          "InstalledType=",
          "[<CompletionWnd>]",
          "MoreInstruct=Start Demo from the Start menu."};
}

std::string TestFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string UseSampleScript(const std::string& folder, const std::vector<std::string>& lines) {
  std::ofstream(folder + "License.txt", std::ios::binary) << "Terms of use.\r\nSecond line.";
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  const std::string script = folder + "App.inf";
  std::ofstream(script, std::ios::binary) << text;
  CurrentRun().Reset();
  FillFolderValues();
  SetScriptFile(script);
  return script;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace vx::test
