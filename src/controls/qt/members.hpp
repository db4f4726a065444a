#pragma once

// The Qt adapters' member dispatch: the shared helpers, the conversions between UTF-8 and
// QString; adapters derive from the shared Dispatched.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "seams/common/member_dispatch.hpp"

namespace ortiva::qt::detail {

using namespace ortiva::member_dispatch;

/// Null fails with 94, objects and errors with 13.
QString qtext(const Variant& v);

inline QString to_q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline Variant from_q(const QString& s) {
    return Variant(s.toStdString());
}

}  // namespace ortiva::qt::detail
