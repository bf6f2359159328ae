#pragma once

#include "platform/codepage.h"
#include "platform/types.h"

#include <QString>

#include <string_view>

// The only crossings between the program's GBK texts and Qt's strings.
namespace app {

inline QString ToQt(std::string_view gbk) {
  const std::string utf8 = platform::GbkToUtf8(gbk);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline platform::Text ToGbk(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return platform::Utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// Texts written in the source, UTF-8 (layout names and captions).
inline QString FromSource(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace app
