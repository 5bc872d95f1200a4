// Conversions between the system's text (std::string, UTF-8) and Qt's.
#pragma once

#include <QString>
#include <string>

namespace ksx::ui {

inline QString ToQ(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline QString ToQ(const char* s) {
    return QString::fromUtf8(s ? s : "");
}
inline std::string ToStd(const QString& s) {
    return s.toUtf8().toStdString();
}

}  // namespace ksx::ui
