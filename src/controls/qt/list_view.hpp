#pragma once

// "ListView" in report view over a QTreeWidget: rows are top-level items, sub-item c is the
// item's column c, header texts are the widget's; the members are controls::ListViewCore's.
// Row objects refer to their item and fail with 35605 once it is gone.

#include <QTreeWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/common/list_view.hpp"
#include "controls/qt/control.hpp"

namespace ortiva::qt {

class ListView;
class ListItem;

/// The items the adapter creates: they tell their row object when they go.
class RowItem : public QTreeWidgetItem {
  public:
    RowItem() : QTreeWidgetItem(UserType + 1) {}
    ~RowItem() override;

    std::shared_ptr<ListItem> handle;
};

class ListItem : public controls::ListRow {
  public:
    ListItem(ListView* view, QTreeWidgetItem* item, bool tracked)
        : view_(view), item_(item), tracked_(tracked) {}

    controls::ListViewCore* holder() const override;
    std::string cell(int32_t c) const override { return item_->text(c).toStdString(); }
    void set_cell(int32_t c, std::string text) override { item_->setText(c, detail::to_q(text)); }
    int32_t position() const override;
    bool selected() const override;
    void set_selected(bool on) override;
    bool keyable() const override { return tracked_; }

  private:
    friend class RowItem;
    friend class ListView;
    ListView* view_;
    QTreeWidgetItem* item_;
    bool tracked_;  // a RowItem, which clears item_ when deleted
};

class ListView : public controls::KindControl<Control, controls::ListViewCore> {
  public:
    explicit ListView(QTreeWidget* tree);
    ~ListView() override;

    /// The widget; 35605 once it is gone.
    QTreeWidget& tree() const { return static_cast<QTreeWidget&>(*widget()); }
    int32_t row_count() const override;
    /// 1-based position of the row, 0 when it is not in the list view.
    int32_t position_of(const QTreeWidgetItem* item) const;
    /// Hands buffered rows to the widget.
    void flush();

  protected:
    void visibility_changed(bool shown) override;

  private:
    friend class ListItem;
    std::shared_ptr<controls::ListRow> row_at(int32_t i) override;
    std::shared_ptr<controls::ListRow> insert_row(int32_t at, std::string text) override;
    void erase_row(controls::ListRow& row) override;
    void erase_rows() override;
    std::shared_ptr<controls::ListRow> selected_row() override;
    void select_row(controls::ListRow* row) override;
    std::string header_text(int32_t c) const override {
        return tree().headerItem()->text(c).toStdString();
    }
    void set_header_text(int32_t c, const std::string& text) override {
        tree().headerItem()->setText(c, detail::to_q(text));
    }
    void insert_header(int32_t at, const std::string& text) override;
    void erase_headers() override;
    void show_width(int32_t c, double twips) override;

    std::shared_ptr<ListItem> handle(QTreeWidgetItem* item);
    /// Turns the widget's sorting off so that positions hold, and lets a header click sort.
    void keep_positions();

    std::vector<QTreeWidgetItem*> pending_;  // appended while hidden, not yet in the widget
    QObject* watcher_ = nullptr;
    bool buffering_ = false;
    bool header_sorts_ = false;
};

}  // namespace ortiva::qt
