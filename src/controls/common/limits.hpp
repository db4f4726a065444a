#pragma once

// How large a control may grow. Every collection and grid checks a request against these
// before it allocates anything, so that a bad count from a caller fails with 7 (out of memory)
// instead of exhausting the process; a count beyond 32 bits has already failed with 6 when it
// was converted.

#include <cstddef>
#include <cstdint>

#include "ortiva/error_info.hpp"

namespace ortiva::controls {

inline constexpr int32_t out_of_memory = 7;

/// A flex grid: rows and columns each, and their product, whatever the other dimension is.
inline constexpr int32_t max_grid_rows = 1 << 20;
inline constexpr int32_t max_grid_cols = 1 << 14;
inline constexpr int64_t max_grid_cells = int64_t{1} << 22;
/// Entries of a list box or combo box, rows of a list view, nodes of a tree view.
inline constexpr int32_t max_entries = 1 << 22;
/// Column headers of a list view (and so sub-items per row).
inline constexpr int32_t max_columns = 1 << 14;

/// 380 for a negative size, 7 when rows, cols or their product is beyond its limit.
inline void check_grid_size(int32_t rows, int32_t cols) {
    if (rows < 0 || cols < 0) raise(err::invalid_property_value);
    if (rows > max_grid_rows || cols > max_grid_cols || int64_t{rows} * cols > max_grid_cells)
        raise(out_of_memory);
}

/// 7 when a collection already holding count elements cannot take one more.
inline void check_room(std::size_t count, int32_t limit) {
    if (count >= static_cast<std::size_t>(limit)) raise(out_of_memory);
}

}  // namespace ortiva::controls
