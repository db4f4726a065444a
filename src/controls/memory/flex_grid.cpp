#include "controls/memory/flex_grid.hpp"

#include <algorithm>

#include "ortiva/error_info.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

constexpr int64_t max_cells = int64_t{1} << 22;

enum class M { none, Rows, Cols, FixedRows, FixedCols, TextMatrix, Clear, Row, Col, Text };
constexpr detail::Member<M> members[] = {
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

const std::string empty_text;

}  // namespace

FlexGrid::FlexGrid(std::string name) : Control("MSFlexGrid", std::move(name), true), cells_(2) {}

const std::string& FlexGrid::cell(int32_t row, int32_t col) const {
    const auto& line = cells_[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(col) < line.size() ? line[static_cast<std::size_t>(col)]
                                                       : empty_text;
}

std::string& FlexGrid::cell_for_write(int32_t row, int32_t col) {
    auto& line = cells_[static_cast<std::size_t>(row)];
    if (line.size() < static_cast<std::size_t>(cols_)) line.resize(static_cast<std::size_t>(cols_));
    return line[static_cast<std::size_t>(col)];
}

void FlexGrid::check_cell(int32_t row, int32_t col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) raise(err::invalid_property_index);
}

// Fewer rows or columns than the fixed ones reduce the fixed ones, and the current cell stays
// inside the grid.
void FlexGrid::resize(int32_t rows, int32_t cols) {
    if (rows < 0 || cols < 0) detail::invalid_value();
    if (int64_t{rows} * cols > max_cells) raise(7);
    cells_.resize(static_cast<std::size_t>(rows));
    if (cols < cols_) {
        for (auto& line : cells_) {
            if (line.size() > static_cast<std::size_t>(cols))
                line.resize(static_cast<std::size_t>(cols));
        }
    }
    rows_ = rows;
    cols_ = cols;
    fixed_rows_ = std::min(fixed_rows_, rows_);
    fixed_cols_ = std::min(fixed_cols_, cols_);
    row_ = std::clamp(row_, 0, std::max(rows_ - 1, 0));
    col_ = std::clamp(col_, 0, std::max(cols_ - 1, 0));
}

Variant FlexGrid::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    const bool set = access == Access::let;
    switch (detail::find_member(members, member, M::none)) {
        case M::Rows:
            detail::plain_property(args);
            if (!set) return Variant(rows_);
            resize(detail::int_value(*value), cols_);
            return {};
        case M::Cols:
            detail::plain_property(args);
            if (!set) return Variant(cols_);
            resize(rows_, detail::int_value(*value));
            return {};
        case M::FixedRows:
        case M::FixedCols: {
            detail::plain_property(args);
            const bool rows = detail::same_name(member, "FixedRows");
            int32_t& fixed = rows ? fixed_rows_ : fixed_cols_;
            if (!set) return Variant(fixed);
            const int32_t v = detail::int_value(*value);
            if (v < 0 || v > (rows ? rows_ : cols_)) detail::invalid_value();
            fixed = v;
            return {};
        }
        case M::TextMatrix: {
            detail::expect_args(args, 2, 2);
            const int32_t row = detail::int_value(args[0]);
            const int32_t col = detail::int_value(args[1]);
            check_cell(row, col);
            if (!set) return Variant(cell(row, col));
            cell_for_write(row, col) = detail::text_value(*value);
            return {};
        }
        case M::Clear:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            for (auto& line : cells_)
                line.clear();
            return {};
        case M::Row:
        case M::Col: {
            detail::plain_property(args);
            const bool rows = detail::same_name(member, "Row");
            int32_t& current = rows ? row_ : col_;
            if (!set) return Variant(current);
            const int32_t v = detail::int_value(*value);
            if (v < 0 || v >= (rows ? rows_ : cols_)) {
                if (rows) raise(30009, {}, "Invalid Row value");
                raise(30010, {}, "Invalid Col value");
            }
            current = v;
            return {};
        }
        case M::Text:
            detail::plain_property(args);
            if (rows_ == 0 || cols_ == 0) raise(err::invalid_property_index);
            if (!set) return Variant(cell(row_, col_));
            cell_for_write(row_, col_) = detail::text_value(*value);
            return {};
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
