#pragma once

// "TreeView" over a QTreeWidget: nodes with unique keys (held in a hash), each a widget item
// under its parent. "Nodes" lists them from 1 in the order they were added; display order is
// the widget's. Node objects fail with 35605 once their item is gone.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/qt/control.hpp"

namespace ortiva::qt {

class TreeView;
class Node;

class NodeItem : public QTreeWidgetItem {
  public:
    NodeItem() : QTreeWidgetItem(UserType + 2) {}
    ~NodeItem() override;

    QString key;
    QString tag;
    std::shared_ptr<Node> handle;
};

class Node : public detail::Dispatched {
  public:
    Node(TreeView* tree, NodeItem* item) : tree_(tree), item_(item) {}
    std::string type_name() const override { return "Node"; }
    NodeItem* item() const;

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    friend class NodeItem;
    friend class TreeView;
    TreeView* tree_;
    NodeItem* item_;
};

class TreeView : public Control {
  public:
    /// Where "Add" puts a node relative to another.
    enum Relationship { first = 0, last = 1, next = 2, previous = 3, child = 4 };

    explicit TreeView(QTreeWidget* tree);
    ~TreeView() override;

    QTreeWidget& tree() const;
    int32_t count() const { return static_cast<int32_t>(nodes_.size()); }
    /// 1-based, in the order added.
    int32_t index_of(const NodeItem* item) const;

    /// "Nodes"."Add"(relative, relationship, key, text): 35601 for a relative that is not in
    /// the tree, 35602 for a key already used, 5 for a relationship outside 0-4.
    NodeItem* add(const Args& args);
    void remove(const Variant& index);
    void clear();
    /// By index (35600 outside 1..Count), key (35601 when absent) or node object.
    NodeItem* node(const Variant& index) const;
    void rekey(NodeItem* item, const QString& key);
    /// Drops a deleted item from the key hash and the order.
    void forget(NodeItem* item);
    Variant object(QTreeWidgetItem* item);
    const QString& path_separator() const { return separator_; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;
    void widget_gone() override { tree_ = nullptr; }

  private:
    QPointer<QTreeWidget> tree_;
    std::vector<NodeItem*> nodes_;
    QHash<QString, NodeItem*> keys_;
    std::shared_ptr<HostObject> collection_;
    QString separator_ = QStringLiteral("\\");
};

}  // namespace ortiva::qt
