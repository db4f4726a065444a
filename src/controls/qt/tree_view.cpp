#include "controls/qt/tree_view.hpp"
#include "controls/common/limits.hpp"

#include <algorithm>

#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

enum class M { none, Nodes, SelectedItem, PathSeparator };
constexpr detail::Member<M> members[] = {
    {"Nodes", M::Nodes},
    {"SelectedItem", M::SelectedItem},
    {"PathSeparator", M::PathSeparator},
};

enum class C { none, Item, Count, Add, Remove, Clear };
constexpr detail::Member<C> collection_members[] = {
    {"", C::Item},   {"Item", C::Item},     {"Count", C::Count},
    {"Add", C::Add}, {"Remove", C::Remove}, {"Clear", C::Clear},
};

class Nodes : public detail::Dispatched {
  public:
    explicit Nodes(const std::shared_ptr<TreeView>& tree) : owner_(tree), tree_(tree.get()) {}
    std::string type_name() const override { return "Nodes"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant*) override {
        const auto keep = owner_.lock();
        if (!keep) detail::removed();
        tree_->tree();
        switch (detail::find_member(collection_members, member, C::none)) {
            case C::Item:
                if (access == Access::let) detail::read_only();
                detail::expect_args(args, 1, 1);
                return tree_->object(tree_->node(args[0]));
            case C::Count:
                detail::read_only_property(access, args);
                return Variant(tree_->count());
            case C::Add:
                detail::method(access);
                return tree_->object(tree_->add(args));
            case C::Remove:
                detail::method(access);
                detail::expect_args(args, 1, 1);
                tree_->remove(args[0]);
                return {};
            case C::Clear:
                detail::method(access);
                detail::expect_args(args, 0, 0);
                tree_->clear();
                return {};
            case C::none:
                break;
        }
        detail::no_member();
    }

  private:
    std::weak_ptr<TreeView> owner_;
    TreeView* tree_;
};

}  // namespace

NodeItem::~NodeItem() {
    if (!handle) return;
    if (handle->tree_) handle->tree_->forget(this);
    handle->item_ = nullptr;
}

NodeItem* Node::item() const {
    if (!item_ || !tree_) detail::removed();
    return item_;
}

TreeView::TreeView(QTreeWidget* tree) : Control("TreeView", tree, true), tree_(tree) {}

TreeView::~TreeView() {
    for (NodeItem* n : nodes_)
        n->handle->tree_ = nullptr;
}

QTreeWidget& TreeView::tree() const {
    if (!tree_) detail::removed();
    return *tree_;
}

int32_t TreeView::index_of(const NodeItem* item) const {
    const auto it = std::find(nodes_.begin(), nodes_.end(), item);
    return it == nodes_.end() ? 0 : static_cast<int32_t>(it - nodes_.begin() + 1);
}

Variant TreeView::object(QTreeWidgetItem* item) {
    auto* n = dynamic_cast<NodeItem*>(item);
    return n ? detail::object_variant(n->handle) : detail::nothing();
}

NodeItem* TreeView::node(const Variant& index) const {
    if (index.is_string()) {
        const auto it = keys_.constFind(detail::to_q(index.str()));
        if (it == keys_.constEnd()) raise(err::ctl_element_not_found);
        return it.value();
    }
    if (index.is_object()) {
        auto* n = dynamic_cast<Node*>(index.object().get());
        if (!n || n->tree_ != this || !n->item_) raise(err::ctl_element_not_found);
        return n->item_;
    }
    const int32_t i = detail::int_value(index);
    if (i < 1 || i > count()) raise(err::ctl_index_out_of_bounds);
    return nodes_[static_cast<std::size_t>(i - 1)];
}

NodeItem* TreeView::add(const Args& args) {
    detail::expect_args(args, 0, 6);  // relative, relationship, key, text, image, selected image
    controls::check_room(static_cast<std::size_t>(count()), controls::max_entries);
    QTreeWidget& t = tree();
    NodeItem* relative = nullptr;
    int32_t relationship = next;
    if (detail::given(args, 0)) {
        relative = node(args[0]);
        if (detail::given(args, 1)) relationship = detail::int_value(args[1]);
        if (relationship < first || relationship > child) raise(err::invalid_call);
    }
    const QString key = detail::key_value(detail::arg(args, 2));
    if (!key.isEmpty() && keys_.contains(key)) raise(err::ctl_key_not_unique);
    const QString text = detail::optional_qtext(detail::arg(args, 3));

    auto* n = new NodeItem;
    n->setText(0, text);
    n->key = key;
    n->handle = std::make_shared<Node>(this, n);
    QTreeWidgetItem* parent = relative ? relative->parent() : nullptr;
    auto siblings = [&] { return parent ? parent->childCount() : t.topLevelItemCount(); };
    auto place = [&] {
        if (!relative) return t.topLevelItemCount();
        const int at = parent ? parent->indexOfChild(relative) : t.indexOfTopLevelItem(relative);
        switch (relationship) {
            case first:
                return 0;
            case last:
                return siblings();
            case next:
                return at + 1;
            case previous:
                return at;
            default:
                return -1;
        }
    };
    if (relative && relationship == child) {
        relative->addChild(n);
    } else if (parent) {
        parent->insertChild(place(), n);
    } else {
        t.insertTopLevelItem(place(), n);
    }
    nodes_.push_back(n);
    if (!key.isEmpty()) keys_.insert(key, n);
    return n;
}

void TreeView::forget(NodeItem* item) {
    if (!item->key.isEmpty()) keys_.remove(item->key);
    nodes_.erase(std::remove(nodes_.begin(), nodes_.end(), item), nodes_.end());
}

void TreeView::remove(const Variant& index) {
    // Deleting the item deletes its branch; each node forgets itself as it goes.
    delete node(index);
}

void TreeView::clear() {
    QTreeWidget& t = tree();
    // Detached first, so that the items do not each search the order as they go.
    for (NodeItem* n : nodes_)
        n->handle->tree_ = nullptr;
    nodes_.clear();
    keys_.clear();
    t.clear();
}

void TreeView::rekey(NodeItem* item, const QString& key) {
    if (key == item->key) return;
    if (!key.isEmpty() && keys_.contains(key)) raise(err::ctl_key_not_unique);
    if (!item->key.isEmpty()) keys_.remove(item->key);
    item->key = key;
    if (!key.isEmpty()) keys_.insert(key, item);
}

Variant TreeView::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    QTreeWidget& t = tree();
    if (!collection_)
        collection_ =
            std::make_shared<Nodes>(std::static_pointer_cast<TreeView>(shared_from_this()));
    switch (detail::find_member(members, member, M::none)) {
        case M::Nodes:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(collection_);
            return object(node(args[0]));
        case M::SelectedItem:
            detail::plain_property(args);
            if (access == Access::let) {
                if (!value->is_object()) raise(err::type_mismatch);
                t.clearSelection();
                if (value->object()) t.setCurrentItem(node(*value));
                return {};
            }
            if (QTreeWidgetItem* current = t.currentItem(); current && current->isSelected())
                return object(current);
            return detail::nothing();
        case M::PathSeparator:
            detail::plain_property(args);
            if (access == Access::let) {
                separator_ = detail::qtext(*value);
                return {};
            }
            return detail::from_q(separator_);
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

HostObjectPtr make_tree_view(QTreeWidget* tree) {
    return std::make_shared<TreeView>(tree);
}

}  // namespace ortiva::qt
