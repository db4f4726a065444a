#include "controls/qt/tree_view.hpp"

#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

controls::TreeNode* node_of(QTreeWidgetItem* item) {
    auto* n = dynamic_cast<NodeItem*>(item);
    return n ? n->handle.get() : nullptr;
}

NodeItem::~NodeItem() {
    if (!handle) return;
    handle->item_ = nullptr;
    if (handle->tree_) handle->tree_->drop_removed();
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

controls::TreeNode* Node::sibling(int step) const {
    QTreeWidget& t = tree_->tree();
    QTreeWidgetItem* parent = item_->parent();
    const int siblings = parent ? parent->childCount() : t.topLevelItemCount();
    const int at = (parent ? parent->indexOfChild(item_) : t.indexOfTopLevelItem(item_)) + step;
    if (at < 0 || at >= siblings) return nullptr;
    return node_of(parent ? parent->child(at) : t.topLevelItem(at));
}

TreeView::~TreeView() {
    for (const auto& n : order_)
        static_cast<Node&>(*n).tree_ = nullptr;
}

std::shared_ptr<TreeNode> TreeView::insert_node(TreeNode* relative_node, Relationship where,
                                                const std::string& text) {
    QTreeWidget& t = tree();
    auto* n = new NodeItem;
    n->setText(0, detail::to_q(text));
    n->handle = std::make_shared<Node>(this, n);
    QTreeWidgetItem* relative = relative_node ? static_cast<Node*>(relative_node)->item_ : nullptr;
    QTreeWidgetItem* parent = relative ? relative->parent() : nullptr;
    if (relative && where == child) parent = relative;
    int at = parent ? parent->childCount() : t.topLevelItemCount();  // the end of the siblings
    if (relative && where != child && where != last) {
        const int mine = parent ? parent->indexOfChild(relative) : t.indexOfTopLevelItem(relative);
        at = where == first ? 0 : where == next ? mine + 1 : mine;
    }
    if (parent) {
        parent->insertChild(at, n);
    } else {
        t.insertTopLevelItem(at, n);
    }
    return n->handle;
}

void TreeView::erase_nodes() {
    QTreeWidget& t = tree();
    // Detached first, so that the items do not each sweep the order as they go.
    for (const auto& n : order_)
        static_cast<Node&>(*n).tree_ = nullptr;
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
