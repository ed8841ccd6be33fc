// Shortcuts through the shell's own link object, so that what is saved is exactly what
// Windows' shell writes and reads.
#include "platform/win32/Com.h"

#include <shlobj.h>

#include <string>

#include "platform/LinkFile.h"
#include "platform/WinPath.h"

namespace vx {

namespace {

using win32::Com;

std::wstring Wide(const std::string& text) {
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

// A text the link object hands back through a buffer of the shell's largest field ("" on
// failure).
template <typename Call>
std::string Field(Call call) {
  char buffer[INFOTIPSIZE] = {};
  return SUCCEEDED(call(buffer, static_cast<int>(sizeof buffer))) ? std::string(buffer)
                                                                  : std::string();
}

bool IsFullPath(const std::string& path) {
  return winpath::IsAbsolute(path) || path.starts_with("\\\\");
}

}  // namespace

bool SaveLinkFile(const std::string& path, const ShellLinkData& link) {
  const win32::ComScope com(COINIT_APARTMENTTHREADED);
  Com<IShellLinkA> shell;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
    return false;
  HRESULT hr = S_OK;
  if (IsFullPath(link.target)) {
    hr = shell->SetPath(link.target.c_str());
  } else if (!link.relativePath.empty()) {
    hr = shell->SetRelativePath(link.relativePath.c_str(), 0);
  }
  if (SUCCEEDED(hr)) hr = shell->SetArguments(link.arguments.c_str());
  if (SUCCEEDED(hr)) hr = shell->SetDescription(link.description.c_str());
  if (SUCCEEDED(hr)) hr = shell->SetWorkingDirectory(link.workingDir.c_str());
  if (SUCCEEDED(hr)) hr = shell->SetIconLocation(link.iconFile.c_str(), link.iconIndex);
  if (SUCCEEDED(hr)) hr = shell->SetShowCmd(static_cast<int>(link.showCommand));
  if (SUCCEEDED(hr)) hr = shell->SetHotkey(link.hotKey);
  Com<IPersistFile> file;
  if (SUCCEEDED(hr)) hr = shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (SUCCEEDED(hr)) hr = file->Save(Wide(path).c_str(), TRUE);
  // A half-written link would be a broken shortcut on the user's desktop.
  if (FAILED(hr)) ::DeleteFileA(path.c_str());
  return SUCCEEDED(hr);
}

bool LoadLinkFile(const std::string& path, ShellLinkData* link) {
  const win32::ComScope com(COINIT_APARTMENTTHREADED);
  Com<IShellLinkA> shell;
  Com<IPersistFile> file;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))) ||
      FAILED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) ||
      FAILED(file->Load(Wide(path).c_str(), STGM_READ)))
    return false;
  *link = ShellLinkData{};
  WIN32_FIND_DATAA found = {};
  char target[MAX_PATH] = {};
  if (shell->GetPath(target, MAX_PATH, &found, SLGP_RAWPATH) == S_OK) {
    link->target = target;
    link->fileAttributes = found.dwFileAttributes;
    link->fileSize = found.nFileSizeLow;
  }
  link->arguments = Field([&](char* b, int n) { return shell->GetArguments(b, n); });
  link->description = Field([&](char* b, int n) { return shell->GetDescription(b, n); });
  link->workingDir = Field([&](char* b, int n) { return shell->GetWorkingDirectory(b, n); });
  int icon = 0;
  link->iconFile = Field([&](char* b, int n) { return shell->GetIconLocation(b, n, &icon); });
  link->iconIndex = icon;
  int show = 0;
  if (SUCCEEDED(shell->GetShowCmd(&show))) link->showCommand = static_cast<std::uint32_t>(show);
  WORD hotKey = 0;
  if (SUCCEEDED(shell->GetHotkey(&hotKey))) link->hotKey = hotKey;
  return true;
}

}  // namespace vx
