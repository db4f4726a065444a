#include "controls/memory/tree_view.hpp"

#include <vector>

namespace ortiva::memory {

controls::TreeViewCore* Node::holder() const {
    return owner_;
}

bool Node::selected() const {
    return owner_->selected_ == this;
}

void Node::set_selected(bool on) {
    if (on) {
        owner_->selected_ = this;
    } else if (selected()) {
        owner_->selected_ = nullptr;
    }
}

void TreeView::walk(const std::function<void(const Node&, int)>& visit) const {
    // Iterative, so that a deep tree cannot exhaust the stack.
    const Node* n = first_root_;
    int depth = 0;
    while (n) {
        visit(*n, depth);
        if (n->first_) {
            n = n->first_;
            ++depth;
            continue;
        }
        while (n && !n->next_) {
            n = n->parent_;
            --depth;
        }
        if (n) n = n->next_;
    }
}

void TreeView::link(Node* node, Node* parent, Node* before) {
    Node*& first = parent ? parent->first_ : first_root_;
    Node*& last = parent ? parent->last_ : last_root_;
    node->parent_ = parent;
    node->next_ = before;
    node->prev_ = before ? before->prev_ : last;
    (node->prev_ ? node->prev_->next_ : first) = node;
    (before ? before->prev_ : last) = node;
    if (parent) ++parent->children_;
}

void TreeView::unlink(Node* node) {
    Node* parent = node->parent_;
    (node->prev_ ? node->prev_->next_ : (parent ? parent->first_ : first_root_)) = node->next_;
    (node->next_ ? node->next_->prev_ : (parent ? parent->last_ : last_root_)) = node->prev_;
    if (parent) --parent->children_;
    node->prev_ = node->next_ = node->parent_ = nullptr;
}

std::shared_ptr<TreeNode> TreeView::insert_node(TreeNode* relative_node, Relationship where,
                                                const std::string& text) {
    auto n = std::make_shared<Node>(this);
    n->text_ = text;
    auto* relative = static_cast<Node*>(relative_node);
    Node* parent = relative ? relative->parent_ : nullptr;
    Node* before = nullptr;  // the end of the siblings
    if (relative && where == first) before = parent ? parent->first_ : first_root_;
    if (relative && where == next) before = relative->next_;
    if (relative && where == previous) before = relative;
    if (relative && where == child) parent = relative;
    link(n.get(), parent, before);
    return n;
}

void TreeView::erase_node(TreeNode& node) {
    auto& top = static_cast<Node&>(node);
    unlink(&top);
    // Detach the node and everything below it; links inside the removed branch are no longer
    // followed, as removed nodes answer nothing. The tree then drops them from its order.
    std::vector<Node*> pending{&top};
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        for (Node* c = n->first_; c; c = c->next_)
            pending.push_back(c);
        if (selected_ == n) selected_ = nullptr;
        n->owner_ = nullptr;
    }
}

void TreeView::erase_nodes() {
    for (const auto& n : order_)
        static_cast<Node&>(*n).owner_ = nullptr;
    first_root_ = last_root_ = selected_ = nullptr;
}

}  // namespace ortiva::memory
