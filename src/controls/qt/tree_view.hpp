#pragma once

// "TreeView" over a QTreeWidget: each node a widget item under its parent, display order the
// widget's; the members are controls::TreeViewCore's. Node objects fail with 35605 once their
// item is gone.

#include <QTreeWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/common/tree_view.hpp"
#include "controls/qt/control.hpp"

namespace ortiva::qt {

class TreeView;
using controls::TreeNode;
class Node;

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
    int32_t index() const override;
    int32_t children() const override { return static_cast<int32_t>(item_->childCount()); }
    TreeNode* parent() const override;
    TreeNode* first_child() const override;
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
    int32_t count() const override { return static_cast<int32_t>(nodes_.size()); }
    /// 1-based, in the order added.
    int32_t index_of(const NodeItem* item) const;
    /// Drops a deleted item from the keys and the order.
    void forget_item(NodeItem* item);

  private:
    TreeNode& node_at(int32_t i) override { return *nodes_[static_cast<std::size_t>(i)]->handle; }
    TreeNode* first_root() const override;
    TreeNode& insert_node(TreeNode* relative, Relationship where, const std::string& text) override;
    void erase_node(TreeNode& node) override;
    void erase_nodes() override;
    TreeNode* selected_node() const override;
    void select_node(TreeNode* node) override;

    std::vector<NodeItem*> nodes_;
};

/// The node object of a widget item (nullptr for none, or an item the adapter did not make).
controls::TreeNode* node_of(QTreeWidgetItem* item);

}  // namespace ortiva::qt
