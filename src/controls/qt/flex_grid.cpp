#include <QTableWidget>
#include <algorithm>

#include "controls/common/flex_grid.hpp"
#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

namespace {

// "MSFlexGrid" over a QTableWidget: a cell that was never set (no item) reads as empty text.
// The widget's own headers are the host's to show or hide.
class FlexGrid : public controls::KindControl<Control, controls::FlexGridMembers> {
  public:
    explicit FlexGrid(QTableWidget* table)
        : KindControl("MSFlexGrid", table, true), table_(table) {}

  private:
    int32_t row_count() const override { return table_->rowCount(); }
    int32_t col_count() const override { return table_->columnCount(); }
    void resize_cells(int32_t rows, int32_t cols) override {
        table_->setRowCount(rows);
        table_->setColumnCount(cols);
    }
    const std::string* cell_text(int32_t row, int32_t col) const override {
        if (!table_->model()->hasIndex(row, col)) return nullptr;
        const QTableWidgetItem* item = table_->item(row, col);
        text_ = item ? item->text().toStdString() : std::string();
        return &text_;
    }
    void write_cell(int32_t row, int32_t col, const std::string& text) override {
        if (QTableWidgetItem* item = table_->item(row, col)) {
            item->setText(detail::to_q(text));
        } else {
            table_->setItem(row, col, new QTableWidgetItem(detail::to_q(text)));
        }
    }
    void clear_cells() override { table_->clearContents(); }
    int32_t current_row() const override { return std::max(table_->currentRow(), 0); }
    int32_t current_col() const override { return std::max(table_->currentColumn(), 0); }
    void set_current(int32_t row, int32_t col) override { table_->setCurrentCell(row, col); }

    QPointer<QTableWidget> table_;
    mutable std::string text_;  // the cell last read
};

}  // namespace

HostObjectPtr make_flex_grid(QTableWidget* table) {
    return std::make_shared<FlexGrid>(table);
}

}  // namespace ortiva::qt
