#pragma once

#include <QString>

#include <string>

namespace tavolin {

// The core's texts and paths are UTF-8 in std::string; the widgets' are QString.
inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string S(const QString& s) {
    return s.toStdString();
}

} // namespace tavolin
