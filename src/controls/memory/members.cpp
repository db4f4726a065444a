#include "controls/memory/members.hpp"

#include "ortiva/conversions.hpp"

namespace ortiva::memory::detail {

std::string text_value(const Variant& v) {
    return to_text(v);
}

std::string optional_text(const Variant& v) {
    return v.is_missing() ? std::string() : to_text(v);
}

}  // namespace ortiva::memory::detail
