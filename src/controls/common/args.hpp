#pragma once

// Text arguments of the control kinds' members, in UTF-8 as the library hands them over.

#include <string>

#include "ortiva/conversions.hpp"
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

}  // namespace ortiva::controls
