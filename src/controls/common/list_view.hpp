#pragma once

// "ListView" in report view once for both toolkits: rows ("ListItems", from 1) with a text and
// one sub-item per column after the first, column headers ("ColumnHeaders", from 1), a single
// selected row, keys unique among the rows. The toolkit keeps the texts and the selection;
// keys, tags, column keys and widths live here.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/common/control.hpp"
#include "controls/common/keys.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::controls {

class Collection;
class ListViewCore;

/// A row as a toolkit keeps it. Its key and tag live here; its texts in the toolkit.
class ListRow : public Keyed {
  public:
    std::string type_name() const override { return "ListItem"; }

    /// The list view holding the row, or nullptr once the row was removed from it.
    virtual ListViewCore* holder() const = 0;
    /// Column c's text: 0 is the row's own text, c >= 1 sub-item c ("" when never set).
    virtual std::string cell(int32_t c) const = 0;
    virtual void set_cell(int32_t c, std::string text) = 0;
    /// 1-based position among the rows.
    virtual int32_t position() const = 0;
    virtual bool selected() const = 0;
    virtual void set_selected(bool on) = 0;
    /// Whether the row can carry a key (rows a host added to a widget itself cannot).
    virtual bool keyable() const { return true; }

    /// The list view, or 35605 once the row was removed.
    ListViewCore& view() const;
    /// 1 to "ColumnHeaders".Count - 1, else error (380 for "SubItems", 35600 for
    /// "ListSubItems").
    void check_column(int32_t c, int32_t error) const;

  protected:
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) override;
};

/// The list view's members over the rows and headers a toolkit keeps. Positions handed to the
/// toolkit are from 0 and checked.
class ListViewCore {
  public:
    int32_t column_count() const { return static_cast<int32_t>(columns_.size()); }

    /// A row by position (35600 outside 1..Count) or key (35601 when absent).
    std::shared_ptr<ListRow> row(const Variant& index);
    /// "ListItems"."Add"(position, key, text, ...): position 1 to Count + 1 (35600 otherwise),
    /// left out to append; a key already used fails with 35602.
    std::shared_ptr<ListRow> add_row(const Args& args);
    void remove_row(const Variant& index);
    void clear_rows();
    /// Drops a row that is going from the keys.
    void forget(const ListRow& row) { keys_.forget(row); }

    /// The new column's position from 0.
    int32_t add_column(const Args& args);
    void clear_columns();
    /// A column from 0 by position (35600 outside 1..Count) or key (35601 when absent).
    int32_t column(const Variant& index) const;

    virtual int32_t row_count() const = 0;

  protected:
    ~ListViewCore() = default;

    /// "ListItems", "ColumnHeaders" and "SelectedItem", then the common members. self is the
    /// list view control.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);
    /// Takes columns that the widget already had when it was wrapped.
    void adopt_columns(int32_t count) { columns_.resize(static_cast<std::size_t>(count)); }

    virtual std::shared_ptr<ListRow> row_at(int32_t i) = 0;
    virtual std::shared_ptr<ListRow> insert_row(int32_t at, std::string text) = 0;
    virtual void erase_row(ListRow& row) = 0;
    virtual void erase_rows() = 0;
    virtual std::shared_ptr<ListRow> selected_row() = 0;
    /// Selects the row (nullptr for none).
    virtual void select_row(ListRow* row) = 0;

    virtual std::string header_text(int32_t c) const = 0;
    virtual void set_header_text(int32_t c, const std::string& text) = 0;
    /// Inserts a header before c (c == Count appends); sub-items after it move right.
    virtual void insert_header(int32_t at, const std::string& text) = 0;
    virtual void erase_headers() = 0;
    /// Shows a width the caller gave (twips).
    virtual void show_width(int32_t, double) {}

  private:
    friend class ColumnHeader;
    friend class ListRow;
    struct Column {
        std::string key;
        double width = 1440;
    };

    KeyIndex keys_;
    std::vector<Column> columns_;
    std::shared_ptr<Collection> items_;  // made on first use: they watch the control
    std::shared_ptr<Collection> headers_;
};

}  // namespace ortiva::controls
