#include "engine/ui/qt/QtText.h"

#include <QStringDecoder>

namespace vx::qt {

QString ToQt(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (char c : text)
    if (c != '\r') plain += c;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8(QByteArrayView(plain.data(), qsizetype(plain.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(plain.data(), qsizetype(plain.size()));
}

std::string FromQt(const QString& text) { return text.toStdString(); }

}  // namespace vx::qt
