// Which dialog the extractor shows, from $VX_UI and whether windows can be shown.
#include <cstdlib>
#include <optional>
#include <string_view>

#include "extract/ExtractUi.h"
#include "extract/TerminalUi.h"

namespace vx::extract {

namespace {

std::optional<GraphicalExtractUi>& Graphical() {
  static std::optional<GraphicalExtractUi> ui;
  return ui;
}

std::string_view Mode() {
  const char* v = std::getenv("VX_UI");
  return v ? v : "auto";
}

bool NamesGraphical(std::string_view mode) { return mode == "qt" || mode == "win32"; }

}  // namespace

void RegisterGraphicalExtractUi(GraphicalExtractUi ui) {
  if (ui.make)
    Graphical() = std::move(ui);
  else
    Graphical().reset();
}

std::string ExtractUiSelectionError() {
  std::string mode(Mode());
  if (!NamesGraphical(mode)) return {};
  const std::optional<GraphicalExtractUi>& g = Graphical();
  if (!g) return "VX_UI=" + mode + ": this build has no graphical interface";
  if (g->mode != mode) return "VX_UI=" + mode + ": this build's windows are " + g->mode;
  if (std::string why = g->unavailable(true); !why.empty()) return "VX_UI=" + mode + ": " + why;
  return {};
}

std::unique_ptr<ExtractUi> CreateExtractUi() {
  std::string_view mode = Mode();
  const std::optional<GraphicalExtractUi>& g = Graphical();
  bool graphical =
      g && (mode == g->mode || ((mode == "auto" || mode.empty()) && g->unavailable(false).empty()));
  if (graphical)
    if (std::unique_ptr<ExtractUi> ui = g->make()) return ui;
  return TerminalUi::FromEnvironment();
}

}  // namespace vx::extract
