#pragma once

// Arguments of the control kinds' members (texts in UTF-8, as the library hands them over,
// positions, objects) and the shape of a plain property.

#include <cstddef>
#include <cstdint>
#include <string>

#include "controls/common/dispatch.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::controls {

/// A text value: Null fails with 94 (a String cannot hold it), objects and errors with 13.
inline std::string text_value(const Variant& v) {
    return v.is_string() ? v.str() : to_text(v);
}
/// A text value where the missing marker means "".
inline std::string optional_text(const Variant& v) {
    return v.is_missing() ? std::string() : text_value(v);
}
/// A key argument: left out, Empty or "" means no key.
inline std::string key_value(const Variant& v) {
    return v.is_missing() || v.is_empty() ? std::string() : text_value(v);
}

/// An object argument as T (const for a const object); 13 when it is of another kind.
template <typename T, typename Object>
T& object_as(Object& object) {
    auto* t = dynamic_cast<T*>(&object);
    if (!t) raise(err::type_mismatch);
    return *t;
}

/// A property without an index: get() answers a read, set(value) takes a let.
template <typename Get, typename Set>
Variant property(Access access, const Args& args, const Variant* value, Get get, Set set) {
    plain_property(args);
    if (access != Access::let) return Variant(get());
    set(*value);
    return {};
}

/// A position from 1 to count (35600 outside), counted from 0.
inline int32_t position_index(const Variant& index, int32_t count) {
    const int32_t i = int_value(index);
    if (i < 1 || i > count) raise(err::ctl_index_out_of_bounds);
    return i - 1;
}

/// Where "Add" puts an element: argument i from 1 to count + 1 (35600 outside), the end when
/// it is left out; counted from 0.
inline int32_t add_position(const Args& args, std::size_t i, int32_t count) {
    return given(args, i) ? position_index(args[i], count + 1) : count;
}

}  // namespace ortiva::controls
