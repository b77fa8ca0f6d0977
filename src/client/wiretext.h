// Network text (UTF-8 bytes) to and from the widgets' strings.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillet {

inline QString fromWire(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline std::string toWire(const QString &s) { return s.toStdString(); }

} // namespace quillet
