#pragma once

// "TreeView": nodes linked to their parent and siblings, listed in the order added; the members
// are controls::TreeViewCore's. Nodes refer to their tree without owning it and fail with 35605
// once removed from it (or once the tree is gone).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/common/tree_view.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

class TreeView;
using controls::TreeNode;

class Node : public controls::TreeNode {
  public:
    explicit Node(TreeView* owner) : owner_(owner) {}

    controls::TreeViewCore* holder() const override;
    std::string text() const override { return text_; }
    void set_text(const std::string& text) override { text_ = text; }
    bool expanded() const override { return expanded_; }
    void set_expanded(bool on) override { expanded_ = on; }
    bool selected() const override;
    void set_selected(bool on) override;
    int32_t children() const override { return children_; }
    TreeNode* parent() const override { return parent_; }
    TreeNode* first_child() const override { return first_; }
    TreeNode* next() const override { return next_; }
    TreeNode* previous() const override { return prev_; }

  private:
    friend class TreeView;
    TreeView* owner_;
    std::string text_;
    Node* parent_ = nullptr;
    Node* first_ = nullptr;
    Node* last_ = nullptr;
    Node* prev_ = nullptr;
    Node* next_ = nullptr;
    int32_t children_ = 0;
    bool expanded_ = false;
};

class TreeView : public controls::KindControl<Control, controls::TreeViewCore> {
  public:
    explicit TreeView(std::string name) : KindControl("TreeView", std::move(name), true) {}
    // Nodes that outlive the tree answer 35605.
    ~TreeView() override { erase_nodes(); }

    TreeNode* selected_node() const override { return selected_; }
    /// Visits every node in display order with its depth (0 at the top).
    void walk(const std::function<void(const Node&, int)>& visit) const;

  private:
    friend class Node;
    TreeNode* first_root() const override { return first_root_; }
    std::shared_ptr<TreeNode> insert_node(TreeNode* relative, Relationship where,
                                          const std::string& text) override;
    void erase_node(TreeNode& node) override;
    void erase_nodes() override;
    void select_node(TreeNode* node) override { selected_ = static_cast<Node*>(node); }
    void link(Node* node, Node* parent, Node* before);
    void unlink(Node* node);

    Node* first_root_ = nullptr;
    Node* last_root_ = nullptr;
    Node* selected_ = nullptr;
};

}  // namespace ortiva::memory
