#include "controls/qt/members.hpp"

#include "ortiva/conversions.hpp"

namespace ortiva::qt::detail {

QString qtext(const Variant& v) {
    if (v.is_string()) return to_q(v.str());
    return to_q(to_text(v));
}

}  // namespace ortiva::qt::detail
