#pragma once

// "ListView" in report view: rows ("ListItems", from 1) with a text and one sub-item per
// column after the first, column headers ("ColumnHeaders", from 1) and a single selected row.
// Rows, sub-items and headers are objects of their own; they refer to their list view without
// owning it, and fail with 35605 once removed from it (or once the list view is gone).

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/memory/control.hpp"

namespace ortiva::memory {

class ListView;
class ListItems;
class ColumnHeaders;

class ListItem : public Dispatched {
  public:
    explicit ListItem(ListView* owner) : owner_(owner) {}
    std::string type_name() const override { return "ListItem"; }

    const std::string& text() const { return text_; }
    const std::string& key() const { return key_; }
    int32_t index() const { return index_; }
    /// Sub-item c (from 1); "" when never set.
    const std::string& sub_item(int32_t c) const;
    bool selected() const;

    /// Checks that c is a sub-item column of the list view: 1 to "ColumnHeaders".Count - 1.
    /// Fails with error (380 for "SubItems", 35600 for "ListSubItems") otherwise.
    void check_column(int32_t c, int32_t error) const;
    void set_sub_item(int32_t c, std::string text);
    void set_text(std::string text) { text_ = std::move(text); }
    /// The list view, or 35605 when the row was removed.
    ListView& owner() const;

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    friend class ListView;
    ListView* owner_;
    std::string text_;
    std::string key_;
    std::string tag_;
    std::vector<std::string> subs_;  // subs_[c - 1] is sub-item c
    int32_t index_ = 0;
};

class ColumnHeader : public Dispatched {
  public:
    explicit ColumnHeader(ListView* owner) : owner_(owner) {}
    std::string type_name() const override { return "ColumnHeader"; }

    const std::string& text() const { return text_; }
    const std::string& key() const { return key_; }
    int32_t index() const { return index_; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    friend class ListView;
    ListView* owner_;
    std::string text_;
    std::string key_;
    double width_ = 1440;
    int32_t index_ = 0;
};

/// "ListItems": "Count", "Add", "Remove", "Clear" and the rows by position or key ("Item",
/// the default member).
class ListItems : public Dispatched {
  public:
    explicit ListItems(ListView* view) : view_(view) {}
    std::string type_name() const override { return "ListItems"; }
    void detach() { view_ = nullptr; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    ListView* view_;
};

/// "ColumnHeaders": "Count", "Add", "Clear" and the headers by position or key.
class ColumnHeaders : public Dispatched {
  public:
    explicit ColumnHeaders(ListView* view) : view_(view) {}
    std::string type_name() const override { return "ColumnHeaders"; }
    void detach() { view_ = nullptr; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    ListView* view_;
};

class ListView : public Control {
  public:
    explicit ListView(std::string name);
    ~ListView() override;

    const std::vector<std::shared_ptr<ListItem>>& rows() const { return rows_; }
    const std::vector<std::shared_ptr<ColumnHeader>>& columns() const { return columns_; }
    int32_t row_count() const { return static_cast<int32_t>(rows_.size()); }
    int32_t column_count() const { return static_cast<int32_t>(columns_.size()); }
    const ListItem* selected() const { return selected_; }

    /// "ListItems"."Add"(position, key, text, ...): position 1 to Count + 1 (35600 otherwise),
    /// left out to append; a key already used fails with 35602.
    std::shared_ptr<ListItem> add_row(const Args& args);
    /// "ListItems"."Remove"(position or key).
    void remove_row(const Variant& index);
    void clear_rows();
    /// A row by position (35600 outside 1..Count) or by key (35601 when absent).
    const std::shared_ptr<ListItem>& row(const Variant& index) const;
    /// Selects the row (nullptr for none).
    void select(ListItem* row) { selected_ = row; }
    void rekey(ListItem& row, std::string key);

    std::shared_ptr<ColumnHeader> add_column(const Args& args);
    void clear_columns();
    const std::shared_ptr<ColumnHeader>& column(const Variant& index) const;

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    void renumber_rows(std::size_t from);

    std::vector<std::shared_ptr<ListItem>> rows_;
    std::unordered_map<std::string, ListItem*> keys_;
    std::vector<std::shared_ptr<ColumnHeader>> columns_;
    std::shared_ptr<ListItems> items_;
    std::shared_ptr<ColumnHeaders> headers_;
    ListItem* selected_ = nullptr;
};

}  // namespace ortiva::memory
