#pragma once

// "MSFlexGrid" once for both toolkits: the member names, argument checks, conversions and
// error numbers, over the cells a toolkit keeps.

#include <cstdint>
#include <string>
#include <string_view>

#include "controls/common/control.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::controls {

/// The grid's members: "Rows", "Cols", "FixedRows", "FixedCols", "TextMatrix"(row, col),
/// "Clear", "Row", "Col" and "Text" (the default member, the current cell). Cells outside
/// the grid fail with 381, sizes as check_grid_size says, a current row or column outside
/// with 30009 or 30010. Fewer rows or columns than the fixed ones reduce the fixed ones.
///
/// The toolkit keeps the cells: rows and columns from 0, a cell never set reads as "".
/// Callers have checked every position and size, except cell_text's.
class FlexGridMembers {
  public:
    int32_t fixed_rows() const { return fixed_rows_; }
    int32_t fixed_cols() const { return fixed_cols_; }

    virtual int32_t row_count() const = 0;
    virtual int32_t col_count() const = 0;
    /// Takes a size check_grid_size accepted; cells outside it are dropped.
    virtual void resize_cells(int32_t rows, int32_t cols) = 0;
    /// A cell's text, valid until the next call; nullptr outside the grid.
    virtual const std::string* cell_text(int32_t row, int32_t col) const = 0;
    virtual void write_cell(int32_t row, int32_t col, const std::string& text) = 0;
    /// Empties every cell and keeps the size.
    virtual void clear_cells() = 0;
    /// The current cell; 0 where the grid has none.
    virtual int32_t current_row() const = 0;
    virtual int32_t current_col() const = 0;
    virtual void set_current(int32_t row, int32_t col) = 0;

  protected:
    ~FlexGridMembers() = default;
    /// The grid's members, then the common ones of self.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);

  private:
    void resize(int32_t rows, int32_t cols);

    int32_t fixed_rows_ = 1;
    int32_t fixed_cols_ = 1;
};

}  // namespace ortiva::controls
