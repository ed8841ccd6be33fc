// Engine strings shown in the wizard and typed text handed back, converted as every window
// of the Qt interface converts them; the line-break rules are those of the two kinds of
// text control.
#pragma once
#include <QString>
#include <string>

#include "engine/ui/qt/QtText.h"

namespace vx {

inline QString Qs(const std::string& s) { return qt::ToQt(s); }
inline std::string Std(const QString& s) { return qt::FromQt(s); }

// Text for a static control: CR LF, a lone CR and a lone LF each break the line.
inline QString StaticText(std::string s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    out += s[i] == '\r' ? '\n' : s[i];
  }
  return Qs(out);
}

// Text for a multi-line edit control: only CR LF breaks a line; a lone CR or LF shows as a
// blank, so that a file without CR LF reads as one long wrapped paragraph.
inline QString EditText(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      out += '\n';
      ++i;
    } else {
      out += (s[i] == '\r' || s[i] == '\n') ? ' ' : s[i];
    }
  }
  return Qs(out);
}

}  // namespace vx
