// Engine strings are byte strings in the machine's ANSI code page; the wizard shows them and
// hands typed text back byte for byte.
#pragma once
#include <QString>
#include <string>

namespace vx {

inline QString Qs(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string Std(const QString& s) { return s.toLatin1().toStdString(); }

// Text for a static control: CR LF, a lone CR and a lone LF each break the line.
inline QString StaticText(const std::string& s) {
  QString t = Qs(s);
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

// Text for a multi-line edit control: only CR LF breaks a line; a lone CR or LF shows as a
// blank, so that a file without CR LF reads as one long wrapped paragraph.
inline QString EditText(const std::string& s) {
  QString t = Qs(s);
  t.replace(QLatin1String("\r\n"), QString(QChar(0x2029)));
  t.replace(QLatin1Char('\r'), QLatin1Char(' '));
  t.replace(QLatin1Char('\n'), QLatin1Char(' '));
  t.replace(QChar(0x2029), QLatin1Char('\n'));
  return t;
}

}  // namespace vx
