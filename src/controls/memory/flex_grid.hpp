#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/memory/control.hpp"

namespace ortiva::memory {

/// "MSFlexGrid": a table of text cells, rows and columns counted from 0, the first FixedRows
/// rows and FixedCols columns being headers (1 and 1 by default, 2 rows and 2 columns).
/// "TextMatrix"(row, col) outside the grid fails with 381; a cell never set reads as "".
/// "Clear" empties every cell and keeps the size. At most 4,194,304 cells (7 beyond).
class FlexGrid : public Control {
  public:
    explicit FlexGrid(std::string name);

    int32_t rows() const { return rows_; }
    int32_t cols() const { return cols_; }
    int32_t fixed_rows() const { return fixed_rows_; }
    int32_t fixed_cols() const { return fixed_cols_; }
    const std::string& cell(int32_t row, int32_t col) const;

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    void resize(int32_t rows, int32_t cols);
    std::string& cell_for_write(int32_t row, int32_t col);
    void check_cell(int32_t row, int32_t col) const;

    // A row's cells are allocated only when one of them is written.
    std::vector<std::vector<std::string>> cells_;
    int32_t rows_ = 2;
    int32_t cols_ = 2;
    int32_t fixed_rows_ = 1;
    int32_t fixed_cols_ = 1;
    int32_t row_ = 1;
    int32_t col_ = 1;
};

}  // namespace ortiva::memory
