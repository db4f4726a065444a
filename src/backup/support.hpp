#pragma once

// Helpers shared by the operations of ClsDBBackupRestore: raising failures unchanged, the
// 16-bit counters the operations count with, and the checks on database-name arrays.

#include <cstdint>
#include <limits>

#include "ortiva/error_info.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::backup {

/// Runs body and raises any failure again as ErrorInfo, its five values unchanged.
template <typename F>
decltype(auto) unchanged(F&& body) {
    try {
        return body();
    } catch (...) {
        throw current_error();
    }
}

/// A 16-bit result, or overflow (6) when value leaves the range. 64-bit, so that a sum of two
/// 32-bit values is checked rather than wrapped.
inline int16_t to16(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        raise(err::overflow);
    return static_cast<int16_t>(value);
}

/// Steps a 16-bit loop counter: stepping past 32767 is an overflow, so a loop that runs to
/// 32767 fails after its last pass.
inline int16_t next(int16_t i, int16_t step = 1) {
    return to16(int32_t{i} + step);
}

/// The upper bound of an array of database names, which must have one dimension and a lower
/// bound of at most 0; error 9 otherwise, and for an array never given elements.
inline int32_t last_name_index(const VariantArray& names) {
    const int32_t upper = names.ubound(1);
    if (names.dimensions() != 1 || names.lbound(1) > 0) raise(err::subscript);
    return upper;
}

}  // namespace ortiva::backup
