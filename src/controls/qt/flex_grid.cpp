#include <QTableWidget>
#include <algorithm>

#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

// The classic grid's limit on cells, so that a wrong row count fails instead of exhausting
// memory.
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

// "MSFlexGrid" over a QTableWidget: rows and columns from 0, a cell that was never set (no
// item) reads as empty text. Fixed rows and columns are numbers the grid keeps; the widget's
// own headers are the host's to show or hide.
class FlexGrid : public Control {
  public:
    explicit FlexGrid(QTableWidget* table) : Control("MSFlexGrid", table, true), table_(table) {}

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        widget();
        const bool set = access == Access::let;
        const int32_t rows = table_->rowCount();
        const int32_t cols = table_->columnCount();
        switch (detail::find_member(members, member, M::none)) {
            case M::Rows:
                detail::plain_property(args);
                if (!set) return Variant(rows);
                resize(detail::int_value(*value), cols);
                return {};
            case M::Cols:
                detail::plain_property(args);
                if (!set) return Variant(cols);
                resize(rows, detail::int_value(*value));
                return {};
            case M::FixedRows:
            case M::FixedCols: {
                detail::plain_property(args);
                const bool by_row = detail::same_name(member, "FixedRows");
                int32_t& fixed = by_row ? fixed_rows_ : fixed_cols_;
                if (!set) return Variant(std::min(fixed, by_row ? rows : cols));
                const int32_t v = detail::int_value(*value);
                if (v < 0 || v > (by_row ? rows : cols)) detail::invalid_value();
                fixed = v;
                return {};
            }
            case M::TextMatrix: {
                detail::expect_args(args, 2, 2);
                const int32_t row = detail::int_value(args[0]);
                const int32_t col = detail::int_value(args[1]);
                if (row < 0 || row >= rows || col < 0 || col >= cols)
                    raise(err::invalid_property_index);
                if (!set) return cell(row, col);
                set_cell(row, col, detail::qtext(*value));
                return {};
            }
            case M::Clear:
                detail::method(access);
                detail::expect_args(args, 0, 0);
                table_->clearContents();
                return {};
            case M::Row:
            case M::Col: {
                detail::plain_property(args);
                const bool by_row = detail::same_name(member, "Row");
                const int32_t current = by_row ? table_->currentRow() : table_->currentColumn();
                if (!set) return Variant(std::max(current, 0));
                const int32_t v = detail::int_value(*value);
                if (v < 0 || v >= (by_row ? rows : cols)) {
                    if (by_row) raise(30009, {}, "Invalid Row value");
                    raise(30010, {}, "Invalid Col value");
                }
                if (by_row) {
                    table_->setCurrentCell(v, std::max(table_->currentColumn(), 0));
                } else {
                    table_->setCurrentCell(std::max(table_->currentRow(), 0), v);
                }
                return {};
            }
            case M::Text: {
                detail::plain_property(args);
                if (rows == 0 || cols == 0) raise(err::invalid_property_index);
                const int32_t row = std::max(table_->currentRow(), 0);
                const int32_t col = std::max(table_->currentColumn(), 0);
                if (!set) return cell(row, col);
                set_cell(row, col, detail::qtext(*value));
                return {};
            }
            case M::none:
                break;
        }
        return dispatch_common(access, member, args, value);
    }

  private:
    Variant cell(int32_t row, int32_t col) const {
        const QTableWidgetItem* item = table_->item(row, col);
        return item ? detail::from_q(item->text()) : Variant(std::string());
    }
    void set_cell(int32_t row, int32_t col, const QString& text) {
        if (QTableWidgetItem* item = table_->item(row, col)) {
            item->setText(text);
        } else {
            table_->setItem(row, col, new QTableWidgetItem(text));
        }
    }
    void resize(int32_t rows, int32_t cols) {
        if (rows < 0 || cols < 0) detail::invalid_value();
        if (int64_t{rows} * cols > max_cells) raise(7);
        table_->setRowCount(rows);
        table_->setColumnCount(cols);
    }

    QPointer<QTableWidget> table_;
    int32_t fixed_rows_ = 1;
    int32_t fixed_cols_ = 1;
};

}  // namespace

HostObjectPtr make_flex_grid(QTableWidget* table) {
    return std::make_shared<FlexGrid>(table);
}

}  // namespace ortiva::qt
