// Qt strings at the edge of the core, whose texts are Windows-1252.
#pragma once

#include <QString>
#include <string>

#include "platform/Cp1252.h"

namespace sonavia::qt {

inline QString FromCp1252(const std::string& text) {
  return QString::fromStdString(platform::Cp1252ToUtf8(text));
}

// Characters Windows-1252 cannot hold become "?".
inline std::string ToCp1252(const QString& text) {
  return platform::Utf8ToCp1252(text.toStdString());
}

}  // namespace sonavia::qt
