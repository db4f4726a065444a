#pragma once

// The Qt adapters' member dispatch: the shared helpers, the conversions between UTF-8 and
// QString; adapters derive from the shared Dispatched.

#include <QString>
#include <string>
#include <string_view>

#include "ortiva/conversions.hpp"
#include "seams/common/member_dispatch.hpp"

namespace ortiva::qt::detail {

using namespace ortiva::member_dispatch;

inline QString to_q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
/// Null fails with 94, objects and errors with 13.
inline QString qtext(const Variant& v) {
    return v.is_string() ? to_q(v.str()) : to_q(to_text(v));
}
inline Variant from_q(const QString& s) {
    return Variant(s.toStdString());
}

}  // namespace ortiva::qt::detail
