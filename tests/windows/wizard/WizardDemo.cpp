// The native wizard over the sample product, for the smoke run and the pictures: with
// answers on the command line the pages answer themselves, without them a person (or
// xdotool) drives the sheet. After Start the completion wizard follows. Prints what the run
// left: the outcome, the chosen type, the paths and the user's name.
//   wizard_demo.exe PICTURES_FOLDER|- [ANSWER...]
#include <windows.h>
// The engine's registry call, not the Windows macro of the same name.
#undef RegDeleteKey

#include <cstdio>
#include <optional>

#include "engine/base/RegistryHelpers.h"
#include "engine/base/Store.h"
#include "engine/ui/AnswerCheck.h"
#include "engine/ui/HeadlessUi.h"
#include "engine/ui/Ui.h"
#include "engine/ui/win32/wizard/Win32Wizard.h"
#include "platform/Registry.h"
#include "tests/windows/wizard/SampleProduct.h"

namespace {

// The window as the screen shows it, as a 24-bit BMP.
void SaveWindow(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(dc, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const DWORD row = ((static_cast<DWORD>(w) * 24 + 31) / 32) * 4;
  std::string bits(static_cast<std::size_t>(row) * static_cast<std::size_t>(h), '\0');
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + bits.size());
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info, sizeof(info), 1, f);
    std::fwrite(bits.data(), 1, bits.size(), f);
    std::fclose(f);
  }
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

const char* OutcomeName(vx::WizardOutcome o) {
  switch (o) {
    case vx::WizardOutcome::StartInstall:
      return "start";
    case vx::WizardOutcome::Quit:
      return "quit";
    case vx::WizardOutcome::UninstallAll:
      return "uninstall-all";
    case vx::WizardOutcome::Finished:
      return "finished";
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vx;
  SetProcessDPIAware();
  const std::string pictures = argc > 1 ? argv[1] : "-";
  const std::string folder = test::TestFolder("vxwizard-demo");
  test::UseSampleScript(folder, test::SampleScript(folder));
  RegDeleteKey(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo");
  SetUi(std::make_unique<HeadlessUi>(std::vector<std::string>{}, true));

  AnswerQueue queue;
  for (int i = 2; i < argc; ++i) queue.Add(argv[i]);
  int shot = 0;
  win32::WizardHost host;
  host.instance = GetModuleHandleA(nullptr);
  host.scripted = argc > 2;
  host.take = [&queue]() -> std::optional<ScriptedAnswer> { return queue.Take(); };
  host.record = [](const std::string& caption, const std::string& text, const std::string& answer) {
    std::fprintf(stderr, "%s\n", DialogLine(caption, text, answer).c_str());
  };
  if (pictures != "-")
    host.snapshot = [&](HWND window, const std::string& kind) {
      char name[32];
      std::snprintf(name, sizeof(name), "%04d-%s-", ++shot, kind.c_str());
      char title[128] = {};
      GetWindowTextA(window, title, sizeof(title));
      SaveWindow(window, pictures + "\\" + name + title + ".bmp");
    };
  // The quit question of the main window: a person answers it in a message box.
  host.confirmQuit = [] {
    return MessageBoxA(nullptr, "Do you want to quit now?", "Demo", MB_YESNO) != IDNO;
  };
  InstallWizard wizard("Install Wizard Window");
  wizard.FillFull();
  WizardOutcome outcome = win32::RunWin32Wizard(host, wizard);
  std::printf("wizard: %s\n", OutcomeName(outcome));
  if (outcome == WizardOutcome::StartInstall) {
    InstallWizard completion("Completion");
    completion.FillCompletion();
    std::printf("completion: %s\n", OutcomeName(win32::RunWin32Wizard(host, completion)));
  }
  std::string owner;
  ReadRegistryString(kHkeyCurrentUser, "Software\\Acme\\Demo\\UserInfo", "RegisteredOwner", owner);
  std::printf("type: %s\npath1: %s\ncustom: %s | %s | %s\nowner: %s\n",
              ReadScriptString("<InstSummaryWnd>", "InstalledType").c_str(),
              ReadScriptString("<Destinations>", "InstallPath1").c_str(),
              ReadScriptString("Custom", "0").c_str(), ReadScriptString("Custom", "1").c_str(),
              ReadScriptString("Custom", "2").c_str(), owner.c_str());
  std::fflush(stdout);
  return outcome == WizardOutcome::StartInstall ? 0 : 1;
}
