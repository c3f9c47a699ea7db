// Our UTF-16 texts as Qt's.
#pragma once

#include <QString>

#include <string_view>

namespace yov {

inline QString toQString(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace yov
