// Which dialog the extractor shows, from $VX_UI and the display.
#include <cstdlib>
#include <string_view>

#include "extract/ExtractUi.h"
#include "extract/TerminalUi.h"

namespace vx::extract {

namespace {

std::function<std::unique_ptr<ExtractUi>()>& Graphical() {
  static std::function<std::unique_ptr<ExtractUi>()> factory;
  return factory;
}

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

std::string_view Mode() {
  const char* v = std::getenv("VX_UI");
  return v ? v : "auto";
}

}  // namespace

void RegisterGraphicalExtractUi(std::function<std::unique_ptr<ExtractUi>()> factory) {
  Graphical() = std::move(factory);
}

std::string ExtractUiSelectionError() {
  if (Mode() != "qt") return {};
  if (!Graphical()) return "VX_UI=qt: this build has no graphical interface";
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM"))
    return "VX_UI=qt: no display (neither DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM is set)";
  return {};
}

std::unique_ptr<ExtractUi> CreateExtractUi() {
  std::string_view mode = Mode();
  bool display = Set("DISPLAY") || Set("WAYLAND_DISPLAY");
  bool graphical = mode == "qt" || ((mode == "auto" || mode.empty()) && display);
  if (graphical && Graphical())
    if (std::unique_ptr<ExtractUi> ui = Graphical()()) return ui;
  return TerminalUi::FromEnvironment();
}

}  // namespace vx::extract
