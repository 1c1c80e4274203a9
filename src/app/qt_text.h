#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace zanfiro {

// The handlers speak UTF-8; Qt speaks UTF-16. Every crossing goes through
// these two, so that no text is ever read in the locale's charset.
inline QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

inline std::string utf8(const QString& text) { return text.toStdString(); }

}  // namespace zanfiro
