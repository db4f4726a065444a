#pragma once

// "ListView" in report view over a QTreeWidget: rows are top-level items ("ListItems", from 1),
// sub-item c is the item's column c, the column headers are the adapter's ("ColumnHeaders",
// from 1) with their texts in the widget's header. Row objects refer to their item and fail
// with 35605 once it is gone.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/qt/control.hpp"

namespace ortiva::qt {

class ListView;
class ListItem;

/// The items the adapter creates: they carry their key, and tell their row object when they go.
class RowItem : public QTreeWidgetItem {
  public:
    RowItem() : QTreeWidgetItem(UserType + 1) {}
    ~RowItem() override;

    QString key;
    std::shared_ptr<ListItem> handle;
};

class ListItem : public detail::Dispatched {
  public:
    ListItem(ListView* view, QTreeWidgetItem* item, bool tracked)
        : view_(view), item_(item), tracked_(tracked) {}
    std::string type_name() const override { return "ListItem"; }

    /// The item; 35605 once it is gone.
    QTreeWidgetItem* item() const;
    ListView& view() const;
    /// 1 to "ColumnHeaders".Count - 1, else error.
    void check_column(int32_t c, int32_t error) const;

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    friend class RowItem;
    friend class ListView;
    ListView* view_;
    QTreeWidgetItem* item_;
    QString tag_;
    bool tracked_;  // a RowItem, which clears item_ when deleted
};

struct ColumnInfo {
    QString key;
    double width = 1440;
};

class ListView : public Control {
  public:
    explicit ListView(QTreeWidget* tree);
    ~ListView() override;

    QTreeWidget& tree() const;
    int32_t row_count() const;
    int32_t column_count() const { return static_cast<int32_t>(columns_.size()); }
    /// The row at 0-based position i (in range).
    QTreeWidgetItem* row_at(int32_t i) const;
    /// 1-based position of the row, 0 when it is not in the list view.
    int32_t position_of(const QTreeWidgetItem* item) const;
    bool alive(const ListItem& row) const;
    std::shared_ptr<ListItem> handle(QTreeWidgetItem* item);

    std::shared_ptr<ListItem> add_row(const Args& args);
    void remove_row(const Variant& index);
    void clear_rows();
    /// By position (35600 outside 1..Count) or key (35601 when absent).
    QTreeWidgetItem* row(const Variant& index) const;
    void select(QTreeWidgetItem* item);
    QTreeWidgetItem* selected();
    void rekey(QTreeWidgetItem* item, const QString& key);
    QString key_of(const QTreeWidgetItem* item) const;

    /// Hands buffered rows to the widget.
    void flush();

    void add_column(const Args& args);
    void clear_columns();
    int32_t column(const Variant& index) const;
    QString header_text(int32_t c) const;
    void set_header_text(int32_t c, const QString& text);
    ColumnInfo& column_info(int32_t c) { return columns_[static_cast<std::size_t>(c)]; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;
    void visibility_changed(bool shown) override;
    void widget_gone() override { tree_ = nullptr; }

  private:
    /// Turns the widget's sorting off so that positions hold, and lets a header click sort.
    void keep_positions();

    QPointer<QTreeWidget> tree_;
    std::vector<QTreeWidgetItem*> pending_;  // appended while hidden, not yet in the widget
    QHash<QString, QTreeWidgetItem*> keys_;
    std::vector<ColumnInfo> columns_;
    std::shared_ptr<HostObject> items_;  // made on first use: they watch this object
    std::shared_ptr<HostObject> headers_;
    QObject* watcher_ = nullptr;
    bool buffering_ = false;
    bool header_sorts_ = false;
};

}  // namespace ortiva::qt
