#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/common/flex_grid.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

/// "MSFlexGrid" over nested vectors; the members are controls::FlexGridMembers. A grid starts
/// with 2 rows and 2 columns, 1 of each fixed.
class FlexGrid : public controls::KindControl<Control, controls::FlexGridMembers> {
  public:
    explicit FlexGrid(std::string name);

    int32_t rows() const { return rows_; }
    int32_t cols() const { return cols_; }
    const std::string& cell(int32_t row, int32_t col) const;

  private:
    int32_t row_count() const override { return rows_; }
    int32_t col_count() const override { return cols_; }
    void resize_cells(int32_t rows, int32_t cols) override;
    const std::string* cell_text(int32_t row, int32_t col) const override {
        return row < 0 || row >= rows_ || col < 0 || col >= cols_ ? nullptr : &cell(row, col);
    }
    void write_cell(int32_t row, int32_t col, const std::string& text) override;
    void clear_cells() override;
    int32_t current_row() const override { return row_; }
    int32_t current_col() const override { return col_; }
    void set_current(int32_t row, int32_t col) override {
        row_ = row;
        col_ = col;
    }

    // A row's cells are allocated only when one of them is written.
    std::vector<std::vector<std::string>> cells_;
    int32_t rows_ = 2;
    int32_t cols_ = 2;
    int32_t row_ = 1;
    int32_t col_ = 1;
};

}  // namespace ortiva::memory
