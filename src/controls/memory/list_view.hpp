#pragma once

// "ListView" in report view: rows, their texts and the selection kept in vectors, the members
// are controls::ListViewCore's. Rows refer to their list view without owning it, and fail with
// 35605 once removed from it (or once the list view is gone). The texts of all rows share one
// table, a row per stride, so that adding a row allocates its object only; the table keeps
// its room when the rows are cleared, for the next fill.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/common/list_view.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

class ListView;

class ListItem : public controls::ListRow {
  public:
    explicit ListItem(ListView* owner) : owner_(owner) {}

    controls::ListViewCore* holder() const override;
    std::string cell(int32_t c) const override;
    void set_cell(int32_t c, std::string text) override;
    int32_t position() const override { return index_; }
    bool selected() const override;
    void set_selected(bool on) override;

  private:
    friend class ListView;
    ListView* owner_;
    int32_t index_ = 0;
};

class ListView : public controls::KindControl<Control, controls::ListViewCore> {
  public:
    explicit ListView(std::string name) : KindControl("ListView", std::move(name), true) {}
    ~ListView() override;

    const std::vector<std::shared_ptr<ListItem>>& rows() const { return rows_; }
    const std::vector<std::string>& headers() const { return headers_; }
    const ListItem* selected() const { return selected_; }
    int32_t row_count() const override { return static_cast<int32_t>(rows_.size()); }
    void select(ListItem* row) { selected_ = row; }

  private:
    friend class ListItem;
    std::shared_ptr<controls::ListRow> row_at(int32_t i) override {
        return rows_[static_cast<std::size_t>(i)];
    }
    std::shared_ptr<controls::ListRow> insert_row(int32_t at, std::string text) override;
    void erase_row(controls::ListRow& row) override;
    void erase_rows() override;
    std::shared_ptr<controls::ListRow> selected_row() override;
    void select_row(controls::ListRow* row) override { selected_ = static_cast<ListItem*>(row); }
    std::string header_text(int32_t c) const override {
        return headers_[static_cast<std::size_t>(c)];
    }
    void set_header_text(int32_t c, const std::string& text) override {
        headers_[static_cast<std::size_t>(c)] = text;
    }
    void insert_header(int32_t at, const std::string& text) override;
    void erase_headers() override;
    void renumber_rows(std::size_t from);
    std::string& cell(const ListItem& row, int32_t c) {
        return cells_[static_cast<std::size_t>(row.index_ - 1) * stride_ +
                      static_cast<std::size_t>(c)];
    }

    std::vector<std::shared_ptr<ListItem>> rows_;
    std::vector<std::string> cells_;  // row i's column c at i * stride_ + c
    std::size_t stride_ = 1;          // the columns, and at least the row's own text
    std::vector<std::string> headers_;
    ListItem* selected_ = nullptr;
};

}  // namespace ortiva::memory
