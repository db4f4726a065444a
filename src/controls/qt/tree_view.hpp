#pragma once

// "TreeView" over a QTreeWidget: each node a widget item under its parent, display order the
// widget's; the members are controls::TreeViewCore's. Node objects fail with 35605 once their
// item is gone.

#include <QTreeWidget>
#include <cstdint>
#include <memory>

#include "controls/common/tree_view.hpp"
#include "controls/qt/control.hpp"

namespace ortiva::qt {

class TreeView;
using controls::TreeNode;
class Node;

/// The node object of a widget item (nullptr for none, or an item the adapter did not make).
controls::TreeNode* node_of(QTreeWidgetItem* item);

class NodeItem : public QTreeWidgetItem {
  public:
    NodeItem() : QTreeWidgetItem(UserType + 2) {}
    ~NodeItem() override;

    std::shared_ptr<Node> handle;
};

class Node : public controls::TreeNode {
  public:
    Node(TreeView* tree, NodeItem* item) : tree_(tree), item_(item) {}

    controls::TreeViewCore* holder() const override;
    std::string text() const override { return item_->text(0).toStdString(); }
    void set_text(const std::string& text) override { item_->setText(0, detail::to_q(text)); }
    bool expanded() const override { return item_->isExpanded(); }
    void set_expanded(bool on) override { item_->setExpanded(on); }
    bool selected() const override { return item_->isSelected(); }
    void set_selected(bool on) override;
    int32_t children() const override { return static_cast<int32_t>(item_->childCount()); }
    TreeNode* parent() const override { return node_of(item_->parent()); }
    TreeNode* first_child() const override { return node_of(item_->child(0)); }
    TreeNode* next() const override { return sibling(1); }
    TreeNode* previous() const override { return sibling(-1); }

  private:
    friend class NodeItem;
    friend class TreeView;
    TreeNode* sibling(int step) const;

    TreeView* tree_;
    NodeItem* item_;
};

class TreeView : public controls::KindControl<Control, controls::TreeViewCore> {
  public:
    explicit TreeView(QTreeWidget* tree) : KindControl("TreeView", tree, true) {}
    ~TreeView() override;

    /// The widget; 35605 once it is gone.
    QTreeWidget& tree() const { return static_cast<QTreeWidget&>(*widget()); }

  private:
    TreeNode* first_root() const override { return node_of(tree().topLevelItem(0)); }
    std::shared_ptr<TreeNode> insert_node(TreeNode* relative, Relationship where,
                                          const std::string& text) override;
    // Deleting the item deletes its branch; each node forgets itself as it goes.
    void erase_node(TreeNode& node) override { delete static_cast<Node&>(node).item_; }
    void erase_nodes() override;
    TreeNode* selected_node() const override;
    void select_node(TreeNode* node) override;
};

}  // namespace ortiva::qt
