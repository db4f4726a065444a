#include "seams/common/member_dispatch.hpp"

#include "ortiva/conversions.hpp"

namespace ortiva::member_dispatch {

namespace {

constexpr char lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

const Variant& arg(const Args& args, std::size_t i) {
    static const Variant missing = Variant::missing();
    return i < args.size() ? args[i] : missing;
}

bool given(const Args& args, std::size_t i) {
    return i < args.size() && !args[i].is_missing();
}

void wrong_argument_count() {
    raise(err::wrong_argument_count);
}

int32_t converted_int_value(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Null:
        case VariantKind::Object:
        case VariantKind::Error:
        case VariantKind::Array:
            raise(err::type_mismatch);
        default:
            return to_int32(v);
    }
}

bool bool_value(const Variant& v) {
    if (v.is_object() || v.is_array() || v.kind() == VariantKind::Error) raise(err::type_mismatch);
    return to_bool(v);
}

void no_member() {
    raise(err::no_such_member);
}

void read_only() {
    raise(err::read_only_property, {}, "Set not supported (read-only property)");
}

void invalid_value() {
    raise(err::invalid_property_value);
}

void removed() {
    raise(err::ctl_deleted, {}, "Control has been deleted");
}

}  // namespace ortiva::member_dispatch
