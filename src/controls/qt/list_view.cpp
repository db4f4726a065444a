#include "controls/qt/list_view.hpp"
#include "controls/common/limits.hpp"

#include <QEvent>
#include <QHeaderView>
#include <algorithm>

#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

enum class M { none, ListItems, ColumnHeaders, SelectedItem };
constexpr detail::Member<M> members[] = {
    {"ListItems", M::ListItems},
    {"ColumnHeaders", M::ColumnHeaders},
    {"SelectedItem", M::SelectedItem},
};

enum class C { none, Item, Count, Add, Remove, Clear };
constexpr detail::Member<C> collection_members[] = {
    {"", C::Item},   {"Item", C::Item},     {"Count", C::Count},
    {"Add", C::Add}, {"Remove", C::Remove}, {"Clear", C::Clear},
};

// "ListItems". It refers to the list view without owning it: the list view owns it.
class ListItems : public detail::Dispatched {
  public:
    explicit ListItems(const std::shared_ptr<ListView>& view) : owner_(view), view_(view.get()) {}
    std::string type_name() const override { return "ListItems"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant*) override {
        const auto keep = owner_.lock();
        if (!keep) detail::removed();
        view_->tree();
        switch (detail::find_member(collection_members, member, C::none)) {
            case C::Item:
                if (access == Access::let) detail::read_only();
                detail::expect_args(args, 1, 1);
                return detail::object_variant(view_->handle(view_->row(args[0])));
            case C::Count:
                detail::read_only_property(access, args);
                return Variant(view_->row_count());
            case C::Add:
                detail::method(access);
                return detail::object_variant(view_->add_row(args));
            case C::Remove:
                detail::method(access);
                detail::expect_args(args, 1, 1);
                view_->remove_row(args[0]);
                return {};
            case C::Clear:
                detail::method(access);
                detail::expect_args(args, 0, 0);
                view_->clear_rows();
                return {};
            case C::none:
                break;
        }
        detail::no_member();
    }

  private:
    std::weak_ptr<ListView> owner_;
    ListView* view_;
};

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

}  // namespace

std::shared_ptr<HostObject> make_column_headers(const std::shared_ptr<ListView>& view);

RowItem::~RowItem() {
    if (!handle) return;
    if (handle->view_ && !key.isEmpty()) handle->view_->rekey(this, QString());
    handle->item_ = nullptr;
}

ListView::ListView(QTreeWidget* tree) : Control("ListView", tree, true), tree_(tree) {
    // A new QTreeWidget has one column headed "1", Qt's placeholder: that is no column
    // header yet.
    const int columns = tree->columnCount();
    const QString first = tree->headerItem()->text(0);
    const bool unnamed = columns == 1 && (first.isEmpty() || first == QLatin1String("1"));
    columns_.resize(unnamed ? 0 : static_cast<std::size_t>(columns));
    watcher_ = new ShowWatcher(tree, this);
}

ListView::~ListView() {
    if (!tree_) {
        for (QTreeWidgetItem* item : pending_)
            delete item;
        return;
    }
    static_cast<ShowWatcher*>(watcher_)->detach();
    flush();
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        if (auto* row = dynamic_cast<RowItem*>(tree_->topLevelItem(i)); row && row->handle)
            row->handle->view_ = nullptr;
    }
}

QTreeWidget& ListView::tree() const {
    if (!tree_) detail::removed();
    return *tree_;
}

int32_t ListView::row_count() const {
    return static_cast<int32_t>(tree().topLevelItemCount() + std::ssize(pending_));
}

QTreeWidgetItem* ListView::row_at(int32_t i) const {
    const int32_t shown = static_cast<int32_t>(tree_->topLevelItemCount());
    return i < shown ? tree_->topLevelItem(i) : pending_[static_cast<std::size_t>(i - shown)];
}

int32_t ListView::position_of(const QTreeWidgetItem* item) const {
    const int i = tree().indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    if (i >= 0) return static_cast<int32_t>(i + 1);
    const auto it = std::find(pending_.begin(), pending_.end(), item);
    if (it == pending_.end()) return 0;
    return static_cast<int32_t>(tree_->topLevelItemCount() + (it - pending_.begin()) + 1);
}

bool ListView::alive(const ListItem& row) const {
    if (!row.item_ || row.view_ != this || !tree_) return false;
    return row.tracked_ || position_of(row.item_) != 0;
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
    if (pending_.empty() || !tree_) return;
    QList<QTreeWidgetItem*> rows(pending_.begin(), pending_.end());
    pending_.clear();
    tree_->addTopLevelItems(rows);
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

std::shared_ptr<ListItem> ListView::add_row(const Args& args) {
    detail::expect_args(args, 0, 5);  // index, key, text, icon, small icon
    controls::check_room(static_cast<std::size_t>(row_count()), controls::max_entries);
    const int64_t count = row_count();
    int64_t position = count + 1;
    if (detail::given(args, 0)) {
        position = detail::int_value(args[0]);
        if (position < 1 || position > count + 1) raise(err::ctl_index_out_of_bounds);
    }
    const QString key = detail::key_value(detail::arg(args, 1));
    if (!key.isEmpty() && keys_.contains(key)) raise(err::ctl_key_not_unique);
    const QString text = detail::optional_qtext(detail::arg(args, 2));

    auto* item = new RowItem;
    item->setText(0, text);
    item->key = key;
    item->handle = std::make_shared<ListItem>(this, item, true);
    keep_positions();
    if (position == count + 1 && buffering_) {
        pending_.push_back(item);
    } else {
        flush();
        tree_->insertTopLevelItem(static_cast<int>(position - 1), item);
    }
    if (!key.isEmpty()) keys_.insert(key, item);
    return item->handle;
}

QTreeWidgetItem* ListView::row(const Variant& index) const {
    if (index.is_string()) {
        const auto it = keys_.constFind(detail::to_q(index.str()));
        if (it == keys_.constEnd()) raise(err::ctl_element_not_found);
        return it.value();
    }
    const int32_t i = detail::int_value(index);
    if (i < 1 || i > row_count()) raise(err::ctl_index_out_of_bounds);
    return row_at(i - 1);
}

void ListView::remove_row(const Variant& index) {
    QTreeWidgetItem* gone = row(index);
    flush();
    const bool was_selected = selected() == gone;
    const int at = tree_->indexOfTopLevelItem(gone);
    rekey(gone, QString());
    delete gone;
    // The selection moves to the row that took the removed one's place (or to the new last
    // row), so that "SelectedItem" still names a row while rows remain.
    const int left = tree_->topLevelItemCount();
    if (was_selected && left > 0) select(tree_->topLevelItem(std::min(at, left - 1)));
}

void ListView::clear_rows() {
    for (QTreeWidgetItem* item : pending_)
        delete item;
    pending_.clear();
    keys_.clear();
    tree().clear();
}

void ListView::select(QTreeWidgetItem* item) {
    flush();
    QTreeWidget& t = tree();
    t.clearSelection();
    if (!item) return;
    t.setCurrentItem(item);
    item->setSelected(true);
}

QTreeWidgetItem* ListView::selected() {
    flush();
    QTreeWidget& t = tree();
    QTreeWidgetItem* current = t.currentItem();
    if (current && current->isSelected() && !current->parent()) return current;
    for (QTreeWidgetItem* item : t.selectedItems()) {
        if (!item->parent()) return item;
    }
    return nullptr;
}

void ListView::rekey(QTreeWidgetItem* item, const QString& key) {
    auto* row = dynamic_cast<RowItem*>(item);
    if (!row) {
        if (!key.isEmpty()) detail::invalid_value();  // only rows made here carry keys
        return;
    }
    if (key == row->key) return;
    if (!key.isEmpty() && keys_.contains(key)) raise(err::ctl_key_not_unique);
    if (!row->key.isEmpty()) keys_.remove(row->key);
    row->key = key;
    if (!key.isEmpty()) keys_.insert(key, row);
}

QString ListView::key_of(const QTreeWidgetItem* item) const {
    const auto* row = dynamic_cast<const RowItem*>(item);
    return row ? row->key : QString();
}

Variant ListView::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    tree();
    if (!items_) {
        const auto self = std::static_pointer_cast<ListView>(shared_from_this());
        items_ = std::make_shared<ListItems>(self);
        headers_ = make_column_headers(self);
    }
    switch (detail::find_member(members, member, M::none)) {
        case M::ListItems:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(items_);
            return detail::object_variant(handle(row(args[0])));
        case M::ColumnHeaders:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(headers_);
            return headers_->get("Item", args);
        case M::SelectedItem: {
            detail::plain_property(args);
            if (access == Access::let) {
                if (!value->is_object()) raise(err::type_mismatch);
                if (!value->object()) {
                    select(nullptr);
                    return {};
                }
                auto* row = dynamic_cast<ListItem*>(value->object().get());
                if (!row || !alive(*row)) detail::invalid_value();
                select(row->item());
                return {};
            }
            QTreeWidgetItem* item = selected();
            return item ? detail::object_variant(handle(item)) : detail::nothing();
        }
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

HostObjectPtr make_list_view(QTreeWidget* tree) {
    return std::make_shared<ListView>(tree);
}

}  // namespace ortiva::qt
