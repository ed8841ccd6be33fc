// The component page of the Qt wizard with a long list: from the wizard's start to the page
// shown with every row, on Qt's offscreen platform. Goal: 10,000 components in under 2 s.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "bench/BenchMachine.h"
#include "engine/base/Folders.h"
#include "engine/base/Store.h"
#include "engine/ui/WizardSheet.h"
#include "engine/ui/qt/wizard/InstallWizardWnd.h"
#include "engine/ui/qt/wizard/ItemListWnd.h"
#include "engine/ui/qt/wizard/Pages.h"

namespace {

QApplication& App() {
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

void BM_ComponentPageShowsEveryRow(benchmark::State& state) {
  App();
  vx::bench::BenchMachine machine;
  vx::FillFolderValues();
  const int rows = static_cast<int>(state.range(0));
  std::string script =
      "[<WelcomeWnd>]\r\nSkipThis=1\r\n[<LicenseWnd>]\r\nSkipThis=1\r\n[<UserInfoWnd>]\r\n"
      "SkipThis=1\r\n[<InstSummaryWnd>]\r\nSkipThis=1\r\nInstalledType=<CompListWnd>\r\n"
      "[<CompListWnd>]\r\nnItems=" +
      std::to_string(rows) + "\r\n";
  for (int i = 0; i < rows; ++i)
    script += std::to_string(i) + "=Part " + std::to_string(i) + " | 1 | 1\r\n";
  for (int i = 0; i < rows; ++i)
    script +=
        "[Part " + std::to_string(i) + "]\r\nComponentSize=" + std::to_string(1000 + i) + "\r\n";
  machine.WriteFile("C:\\Setup\\Many.inf", script);
  vx::SetScriptFile("C:\\Setup\\Many.inf");
  for (auto _ : state) {
    vx::InstallWizard sheet("Install Wizard Window");
    sheet.FillFull();
    vx::CInstallWizard wizard(sheet, [] { return false; });
    wizard.Start();
    QCoreApplication::processEvents();
    auto* page = dynamic_cast<vx::CWZSelectComponent*>(wizard.CurrentPage());
    if (page == nullptr || page->List()->RowCount() != rows)
      state.SkipWithError("the rows are not all there");
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ComponentPageShowsEveryRow)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
