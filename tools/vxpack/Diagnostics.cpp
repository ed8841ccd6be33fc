#include "tools/vxpack/Diagnostics.h"

#include <algorithm>

namespace vx::pack {

void Diagnostics::Add(const std::string& file, int line, Severity severity, std::string text) {
  all_.push_back({file, line, severity, std::move(text)});
}

int Diagnostics::Errors() const {
  return int(std::count_if(all_.begin(), all_.end(),
                           [](const Diagnostic& d) { return d.severity == Severity::Error; }));
}

int Diagnostics::Warnings() const { return int(all_.size()) - Errors(); }

std::string FormatDiagnostic(const Diagnostic& d, bool strict) {
  bool error = d.severity == Severity::Error || strict;
  return d.file + ":" + std::to_string(d.line) + ": " + (error ? "error: " : "warning: ") + d.text;
}

namespace {

std::string Count(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

void Diagnostics::Print(std::FILE* out, const std::string& subject, bool strict) const {
  std::vector<const Diagnostic*> sorted;
  for (const Diagnostic& d : all_) sorted.push_back(&d);
  // The files in the order they were first reported, lines ascending within each.
  std::vector<std::string> files;
  for (const Diagnostic& d : all_)
    if (std::find(files.begin(), files.end(), d.file) == files.end()) files.push_back(d.file);
  std::stable_sort(sorted.begin(), sorted.end(), [&](const Diagnostic* a, const Diagnostic* b) {
    auto fa = std::find(files.begin(), files.end(), a->file);
    auto fb = std::find(files.begin(), files.end(), b->file);
    return fa != fb ? fa < fb : a->line < b->line;
  });
  for (const Diagnostic* d : sorted)
    std::fprintf(out, "%s\n", FormatDiagnostic(*d, strict).c_str());
  int errors = strict ? int(all_.size()) : Errors();
  int warnings = strict ? 0 : Warnings();
  std::fprintf(out, "%s: %s, %s\n", subject.c_str(), Count(errors, "error").c_str(),
               Count(warnings, "warning").c_str());
}

}  // namespace vx::pack
