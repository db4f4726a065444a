#include "controls/qt/members.hpp"

#include "ortiva/conversions.hpp"

namespace ortiva::qt::detail {

QString qtext(const Variant& v) {
    if (v.is_string()) return to_q(v.str());
    return to_q(to_text(v));
}

QString optional_qtext(const Variant& v) {
    return v.is_missing() ? QString() : qtext(v);
}

QString key_value(const Variant& v) {
    if (v.is_missing() || v.is_empty()) return {};
    return qtext(v);
}

}  // namespace ortiva::qt::detail
