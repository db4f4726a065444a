#include "controls/memory/flex_grid.hpp"

namespace ortiva::memory {

namespace {

const std::string empty_text;

}  // namespace

FlexGrid::FlexGrid(std::string name)
    : KindControl("MSFlexGrid", std::move(name), true), cells_(2) {}

const std::string& FlexGrid::cell(int32_t row, int32_t col) const {
    const auto& line = cells_[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(col) < line.size() ? line[static_cast<std::size_t>(col)]
                                                       : empty_text;
}

void FlexGrid::write_cell(int32_t row, int32_t col, const std::string& text) {
    auto& line = cells_[static_cast<std::size_t>(row)];
    if (line.size() < static_cast<std::size_t>(cols_)) line.resize(static_cast<std::size_t>(cols_));
    line[static_cast<std::size_t>(col)] = text;
}

void FlexGrid::resize_cells(int32_t rows, int32_t cols) {
    cells_.resize(static_cast<std::size_t>(rows));
    if (cols < cols_) {
        for (auto& line : cells_) {
            if (line.size() > static_cast<std::size_t>(cols))
                line.resize(static_cast<std::size_t>(cols));
        }
    }
    rows_ = rows;
    cols_ = cols;
}

void FlexGrid::clear_cells() {
    for (auto& line : cells_)
        line.clear();
}

}  // namespace ortiva::memory
