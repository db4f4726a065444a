#pragma once

// Small helpers shared by the operations that fill and read the host's controls.

#include <cstdint>
#include <string>

#include "ortiva/error_info.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::db {

inline constexpr const char* column_count_message =
    "No of Columns in the list should be equal to Field "
    " names supplied";

/// Row, column and position arguments travel as 16-bit integers; out of range is overflow.
inline Variant int16_arg(int32_t n) {
    if (n < INT16_MIN || n > INT16_MAX) raise(err::overflow);
    return Variant(static_cast<int16_t>(n));
}

/// The object a member returned: Nothing is error 91, as the run time reports it on use.
inline HostObjectPtr require_object(const Variant& v) {
    if (v.is_object() && !v.object()) raise(err::object_not_set);
    return object_of(v);
}

inline HostObjectPtr member_object(HostObject& obj, std::string_view member,
                                   const Args& index = {}) {
    return require_object(obj.get(member, index));
}

inline HostObjectPtr member_object(HostObject& obj, MemberId member, const Args& index = {}) {
    return require_object(obj.get_by_id(member, index));
}

/// Whether a cell's value compares equal to "" (Empty does, Null does not).
inline bool is_empty_text(const Variant& v) {
    return v.is_string() ? v.str().empty() : v.is_empty();
}

}  // namespace ortiva::db
