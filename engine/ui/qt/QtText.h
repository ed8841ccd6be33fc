// Engine texts are 8-bit strings: UTF-8 when they are valid UTF-8, else the Western code page
// (Latin-1 is its printable core). Line breaks written "\r\n" or "\n\r" show as one break.
#pragma once
#include <QString>
#include <string>

namespace vx::qt {

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

}  // namespace vx::qt
