#include "controls/qt/tree_view.hpp"

#include <algorithm>

#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

controls::TreeNode* node_of(QTreeWidgetItem* item) {
    auto* n = dynamic_cast<NodeItem*>(item);
    return n ? n->handle.get() : nullptr;
}

NodeItem::~NodeItem() {
    if (!handle) return;
    if (handle->tree_) handle->tree_->forget_item(this);
    handle->item_ = nullptr;
}

controls::TreeViewCore* Node::holder() const {
    return item_ && tree_ ? tree_ : nullptr;
}

void Node::set_selected(bool on) {
    if (on) {
        tree_->tree().clearSelection();
        tree_->tree().setCurrentItem(item_);
    }
    item_->setSelected(on);
}

int32_t Node::index() const {
    return tree_->index_of(item_);
}

controls::TreeNode* Node::parent() const {
    return node_of(item_->parent());
}

controls::TreeNode* Node::first_child() const {
    return node_of(item_->child(0));
}

controls::TreeNode* Node::sibling(int step) const {
    QTreeWidget& t = tree_->tree();
    QTreeWidgetItem* parent = item_->parent();
    const int siblings = parent ? parent->childCount() : t.topLevelItemCount();
    const int at = (parent ? parent->indexOfChild(item_) : t.indexOfTopLevelItem(item_)) + step;
    if (at < 0 || at >= siblings) return nullptr;
    return node_of(parent ? parent->child(at) : t.topLevelItem(at));
}

TreeView::~TreeView() {
    for (NodeItem* n : nodes_)
        n->handle->tree_ = nullptr;
}

int32_t TreeView::index_of(const NodeItem* item) const {
    const auto it = std::find(nodes_.begin(), nodes_.end(), item);
    return it == nodes_.end() ? 0 : static_cast<int32_t>(it - nodes_.begin() + 1);
}

controls::TreeNode* TreeView::first_root() const {
    return node_of(tree().topLevelItem(0));
}

controls::TreeNode& TreeView::insert_node(TreeNode* relative_node, Relationship where,
                                          const std::string& text) {
    QTreeWidget& t = tree();
    auto* n = new NodeItem;
    n->setText(0, detail::to_q(text));
    n->handle = std::make_shared<Node>(this, n);
    QTreeWidgetItem* relative = relative_node ? static_cast<Node*>(relative_node)->item_ : nullptr;
    QTreeWidgetItem* parent = relative ? relative->parent() : nullptr;
    auto place = [&] {
        if (!relative) return t.topLevelItemCount();
        const int at = parent ? parent->indexOfChild(relative) : t.indexOfTopLevelItem(relative);
        switch (where) {
            case first:
                return 0;
            case last:
                return parent ? parent->childCount() : t.topLevelItemCount();
            case next:
                return at + 1;
            default:
                return at;
        }
    };
    if (relative && where == child) {
        relative->addChild(n);
    } else if (parent) {
        parent->insertChild(place(), n);
    } else {
        t.insertTopLevelItem(place(), n);
    }
    nodes_.push_back(n);
    return *n->handle;
}

void TreeView::forget_item(NodeItem* item) {
    forget(*item->handle);
    nodes_.erase(std::remove(nodes_.begin(), nodes_.end(), item), nodes_.end());
}

void TreeView::erase_node(TreeNode& node) {
    // Deleting the item deletes its branch; each node forgets itself as it goes.
    delete static_cast<Node&>(node).item_;
}

void TreeView::erase_nodes() {
    QTreeWidget& t = tree();
    // Detached first, so that the items do not each search the order as they go.
    for (NodeItem* n : nodes_)
        n->handle->tree_ = nullptr;
    nodes_.clear();
    t.clear();
}

controls::TreeNode* TreeView::selected_node() const {
    QTreeWidgetItem* current = tree().currentItem();
    return current && current->isSelected() ? node_of(current) : nullptr;
}

void TreeView::select_node(TreeNode* node) {
    QTreeWidget& t = tree();
    t.clearSelection();
    if (node) t.setCurrentItem(static_cast<Node*>(node)->item_);
}

HostObjectPtr make_tree_view(QTreeWidget* tree) {
    return std::make_shared<TreeView>(tree);
}

}  // namespace ortiva::qt
