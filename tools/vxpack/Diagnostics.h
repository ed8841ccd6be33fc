// What the script check finds, one diagnostic a line in the form editors read:
// "FILE:LINE: error|warning: text", then a summary.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace vx::pack {

enum class Severity { Error, Warning };

struct Diagnostic {
  std::string file;  // as the user named it
  int line = 0;      // 1-based
  Severity severity = Severity::Error;
  std::string text;
};

class Diagnostics {
 public:
  void Add(const std::string& file, int line, Severity severity, std::string text);
  const std::vector<Diagnostic>& All() const { return all_; }
  int Errors() const;
  int Warnings() const;
  // Errors, and with `strict` warnings too, stop a build.
  bool Stops(bool strict) const { return Errors() > 0 || (strict && Warnings() > 0); }
  // Every diagnostic in file and line order, then "SUBJECT: N errors, M warnings" (warnings
  // counted as errors when `strict`).
  void Print(std::FILE* out, const std::string& subject, bool strict) const;

 private:
  std::vector<Diagnostic> all_;
};

std::string FormatDiagnostic(const Diagnostic& d, bool strict);

}  // namespace vx::pack
