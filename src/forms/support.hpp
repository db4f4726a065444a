#pragma once

// Helpers shared by the operations of clsCommonGen: the 16-bit counters the operations count
// with, and the texts they read from controls.

#include <cstdint>
#include <limits>
#include <string>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::forms {

/// A 16-bit result, or overflow (6) when value leaves the range.
inline int16_t to16(int32_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        raise(err::overflow);
    return static_cast<int16_t>(value);
}

/// The last index of a collection of count entries, as a 16-bit counter.
inline int16_t last_index(const Variant& count) {
    return round_to_int16(to_double(count) - 1);
}

/// Steps a 16-bit counter the way a counted loop does: stepping past 32767 is an overflow, so
/// a loop that runs to 32767 without stopping fails after its last entry.
inline int16_t next(int16_t i) {
    return to16(int32_t{i} + 1);
}

/// A control's text as a String (Null cannot become one: 94).
inline std::string text_of(const Variant& v) {
    return to_text(v);
}

}  // namespace ortiva::forms
