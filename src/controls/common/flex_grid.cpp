#include "controls/common/flex_grid.hpp"

#include <algorithm>

#include "controls/common/limits.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::controls {

namespace {

enum class M { none, Rows, Cols, FixedRows, FixedCols, TextMatrix, Clear, Row, Col, Text };
constexpr Member<M> members[] = {
    {"Rows", M::Rows},
    {"Cols", M::Cols},
    {"FixedRows", M::FixedRows},
    {"FixedCols", M::FixedCols},
    {"TextMatrix", M::TextMatrix},
    {"Clear", M::Clear},
    {"Row", M::Row},
    {"Col", M::Col},
    {"", M::Text},
    {"Text", M::Text},
};

}  // namespace

void FlexGridMembers::resize(int32_t rows, int32_t cols) {
    check_grid_size(rows, cols);
    resize_cells(rows, cols);
    fixed_rows_ = std::min(fixed_rows_, rows);
    fixed_cols_ = std::min(fixed_cols_, cols);
    // The current cell stays inside the grid; it is left alone where it already is.
    const int32_t row = current_row();
    const int32_t col = current_col();
    const int32_t inside_row = std::clamp(row, 0, std::max(rows - 1, 0));
    const int32_t inside_col = std::clamp(col, 0, std::max(cols - 1, 0));
    if (inside_row != row || inside_col != col) set_current(inside_row, inside_col);
}

Variant FlexGridMembers::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                       const Args& args, const Variant* value) {
    self.check_alive();
    const bool set = access == Access::let;
    const M id = find_member<members>(member);
    // A cell read, the hot path of grid scans, asks only for its cell; the rest read the size.
    const bool cell_read = id == M::TextMatrix && !set;
    const int32_t rows = cell_read ? 0 : row_count();
    const int32_t cols = cell_read ? 0 : col_count();
    const auto read_cell = [this](int32_t row, int32_t col) __attribute__((always_inline)) {
        if (const std::string* text = cell_text(row, col)) return Variant(*text);
        raise(err::invalid_property_index);
    };
    switch (id) {
        case M::Rows:
        case M::Cols: {
            plain_property(args);
            const bool by_row = id == M::Rows;
            if (!set) return Variant(by_row ? rows : cols);
            const int32_t n = int_value(*value);
            resize(by_row ? n : rows, by_row ? cols : n);
            return Variant();
        }
        case M::FixedRows:
        case M::FixedCols: {
            plain_property(args);
            const bool by_row = id == M::FixedRows;
            int32_t& fixed = by_row ? fixed_rows_ : fixed_cols_;
            // A host may have shrunk the widget itself.
            if (!set) return Variant(std::min(fixed, by_row ? rows : cols));
            const int32_t v = int_value(*value);
            if (v < 0 || v > (by_row ? rows : cols)) invalid_value();
            fixed = v;
            return Variant();
        }
        case M::TextMatrix: {
            expect_args(args, 2, 2);
            const int32_t row = int_value(args[0]);
            const int32_t col = int_value(args[1]);
            if (cell_read) return read_cell(row, col);
            if (row < 0 || row >= rows || col < 0 || col >= cols)
                raise(err::invalid_property_index);
            write_cell(row, col, to_text(*value));
            return Variant();
        }
        case M::Clear:
            method(access);
            expect_args(args, 0, 0);
            clear_cells();
            return Variant();
        case M::Row:
        case M::Col: {
            plain_property(args);
            const bool by_row = id == M::Row;
            if (!set) return Variant(by_row ? current_row() : current_col());
            const int32_t v = int_value(*value);
            if (v < 0 || v >= (by_row ? rows : cols)) {
                if (by_row) raise(err::grid_invalid_row, {}, "Invalid Row value");
                raise(err::grid_invalid_col, {}, "Invalid Col value");
            }
            set_current(by_row ? v : current_row(), by_row ? current_col() : v);
            return Variant();
        }
        case M::Text: {
            plain_property(args);
            if (rows == 0 || cols == 0) raise(err::invalid_property_index);
            if (!set) return read_cell(current_row(), current_col());
            write_cell(current_row(), current_col(), to_text(*value));
            return Variant();
        }
        case M::none:
            break;
    }
    return self.dispatch_common(access, member, args, value);
}

}  // namespace ortiva::controls
