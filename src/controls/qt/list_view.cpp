#include "controls/qt/list_view.hpp"

#include <QEvent>
#include <QHeaderView>
#include <algorithm>

#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

namespace {

// Hands buffered rows over when the host shows the widget itself.
class ShowWatcher : public QObject {
  public:
    ShowWatcher(QTreeWidget* tree, ListView* view) : QObject(tree), view_(view) {
        setObjectName(QStringLiteral("qt_ortiva_show"));
        tree->installEventFilter(this);
    }
    void detach() { view_ = nullptr; }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // ShowToParent comes also while the window around the widget is not on screen.
        const QEvent::Type type = event->type();
        if (view_ && (type == QEvent::Show || type == QEvent::ShowToParent)) view_->flush();
        return false;
    }

  private:
    ListView* view_;
};

// Widths are in twips, as the classic control has them; a pixel is 15 twips at 96 dpi.
constexpr double twips_per_pixel = 15;

}  // namespace

RowItem::~RowItem() {
    if (!handle) return;
    if (handle->view_) handle->view_->forget(*handle);
    handle->item_ = nullptr;
}

controls::ListViewCore* ListItem::holder() const {
    if (!view_ || !item_ || !view_->raw_widget()) return nullptr;
    return tracked_ || view_->position_of(item_) != 0 ? view_ : nullptr;
}

int32_t ListItem::position() const {
    return view_->position_of(item_);
}

bool ListItem::selected() const {
    view_->flush();
    return item_->isSelected();
}

void ListItem::set_selected(bool on) {
    if (on) {
        view_->select_row(this);
    } else {
        view_->flush();
        item_->setSelected(false);
    }
}

ListView::ListView(QTreeWidget* tree) : KindControl("ListView", tree, true) {
    // A new QTreeWidget has one column headed "1", Qt's placeholder: that is no column
    // header yet.
    const int columns = tree->columnCount();
    const QString first = tree->headerItem()->text(0);
    const bool unnamed = columns == 1 && (first.isEmpty() || first == QLatin1String("1"));
    adopt_columns(unnamed ? 0 : columns);
    watcher_ = new ShowWatcher(tree, this);
}

ListView::~ListView() {
    if (!raw_widget()) {
        qDeleteAll(pending_);
        return;
    }
    static_cast<ShowWatcher*>(watcher_)->detach();
    flush();
    QTreeWidget& t = tree();
    for (int i = 0; i < t.topLevelItemCount(); ++i) {
        if (auto* row = dynamic_cast<RowItem*>(t.topLevelItem(i)); row && row->handle)
            row->handle->view_ = nullptr;
    }
}

int32_t ListView::row_count() const {
    return static_cast<int32_t>(tree().topLevelItemCount() + std::ssize(pending_));
}

std::shared_ptr<controls::ListRow> ListView::row_at(int32_t i) {
    QTreeWidget& t = tree();
    const int32_t shown = static_cast<int32_t>(t.topLevelItemCount());
    return handle(i < shown ? t.topLevelItem(i) : pending_[static_cast<std::size_t>(i - shown)]);
}

int32_t ListView::position_of(const QTreeWidgetItem* item) const {
    const int i = tree().indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    if (i >= 0) return static_cast<int32_t>(i + 1);
    const auto it = std::find(pending_.begin(), pending_.end(), item);
    if (it == pending_.end()) return 0;
    return static_cast<int32_t>(tree().topLevelItemCount() + (it - pending_.begin()) + 1);
}

std::shared_ptr<ListItem> ListView::handle(QTreeWidgetItem* item) {
    if (auto* row = dynamic_cast<RowItem*>(item)) {
        if (!row->handle) row->handle = std::make_shared<ListItem>(this, item, true);
        return row->handle;
    }
    // Items the host added itself are checked by position on each use.
    return std::make_shared<ListItem>(this, item, false);
}

void ListView::flush() {
    if (pending_.empty() || !raw_widget()) return;
    QList<QTreeWidgetItem*> rows(pending_.begin(), pending_.end());
    pending_.clear();
    tree().addTopLevelItems(rows);
}

void ListView::visibility_changed(bool shown) {
    buffering_ = !shown;
    if (shown) flush();
}

void ListView::keep_positions() {
    QTreeWidget& t = tree();
    if (!t.isSortingEnabled()) return;
    t.setSortingEnabled(false);
    QHeaderView* header = t.header();
    header->setSortIndicatorShown(true);
    header->setSectionsClickable(true);
    if (!header_sorts_) {
        header_sorts_ = true;
        QObject::connect(header, &QHeaderView::sortIndicatorChanged, &t,
                         [tree = &t](int column, Qt::SortOrder order) {
                             if (!tree->isSortingEnabled()) tree->sortItems(column, order);
                         });
    }
}

std::shared_ptr<controls::ListRow> ListView::insert_row(int32_t at, std::string text) {
    auto* item = new RowItem;
    item->setText(0, detail::to_q(text));
    item->handle = std::make_shared<ListItem>(this, item, true);
    keep_positions();
    if (at == row_count() && buffering_) {
        pending_.push_back(item);
    } else {
        flush();
        tree().insertTopLevelItem(at, item);
    }
    return item->handle;
}

void ListView::erase_row(controls::ListRow& row) {
    flush();
    delete static_cast<ListItem&>(row).item_;
}

void ListView::erase_rows() {
    qDeleteAll(pending_);
    pending_.clear();
    tree().clear();
}

void ListView::select_row(controls::ListRow* row) {
    flush();
    QTreeWidget& t = tree();
    t.clearSelection();
    if (!row) return;
    QTreeWidgetItem* item = static_cast<ListItem*>(row)->item_;
    t.setCurrentItem(item);
    item->setSelected(true);
}

std::shared_ptr<controls::ListRow> ListView::selected_row() {
    flush();
    QTreeWidget& t = tree();
    QTreeWidgetItem* current = t.currentItem();
    if (current && current->isSelected() && !current->parent()) return handle(current);
    for (QTreeWidgetItem* item : t.selectedItems()) {
        if (!item->parent()) return handle(item);
    }
    return nullptr;
}

void ListView::insert_header(int32_t at, const std::string& text) {
    QTreeWidget& t = tree();
    flush();
    const int columns = column_count() + 1;
    if (columns > t.columnCount()) t.setColumnCount(columns);
    // Texts after the new column move one to the right, in the header and in every row.
    auto shift = [&](QTreeWidgetItem* item) {
        for (int c = columns - 1; c > at; --c)
            item->setText(c, item->text(c - 1));
        item->setText(at, QString());
    };
    if (at < columns - 1) {
        shift(t.headerItem());
        for (int i = 0; i < t.topLevelItemCount(); ++i)
            shift(t.topLevelItem(i));
    }
    t.headerItem()->setText(at, detail::to_q(text));
}

void ListView::erase_headers() {
    QTreeWidget& t = tree();
    t.setColumnCount(1);
    t.headerItem()->setText(0, QString());
}

void ListView::show_width(int32_t c, double twips) {
    tree().setColumnWidth(c, static_cast<int>(twips / twips_per_pixel));
}

HostObjectPtr make_list_view(QTreeWidget* tree) {
    return std::make_shared<ListView>(tree);
}

}  // namespace ortiva::qt
