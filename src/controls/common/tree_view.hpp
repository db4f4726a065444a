#pragma once

// "TreeView" once for both toolkits: nodes with unique keys, each under a parent (or at the
// top) among ordered siblings; "Nodes" lists them from 1 in the order they were added. The
// toolkit keeps the nodes and their places; keys, tags and the path separator live here.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/common/control.hpp"
#include "controls/common/keys.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::controls {

class Collection;
class TreeViewCore;

class TreeNode : public Keyed {
  public:
    std::string type_name() const override { return "Node"; }

    /// The tree holding the node, or nullptr once the node was removed from it.
    virtual TreeViewCore* holder() const = 0;
    virtual std::string text() const = 0;
    virtual void set_text(const std::string& text) = 0;
    virtual bool expanded() const = 0;
    virtual void set_expanded(bool on) = 0;
    virtual bool selected() const = 0;
    virtual void set_selected(bool on) = 0;
    /// 1-based, in the order the nodes were added.
    int32_t index() const { return index_; }
    virtual int32_t children() const = 0;
    /// The neighbours; nullptr where there is none.
    virtual TreeNode* parent() const = 0;
    virtual TreeNode* first_child() const = 0;
    virtual TreeNode* next() const = 0;
    virtual TreeNode* previous() const = 0;

  protected:
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) override;

  private:
    friend class TreeViewCore;
    int32_t index_ = 0;
};

/// The tree view's members over the nodes a toolkit keeps.
class TreeViewCore {
  public:
    /// Where "Add" puts a node relative to another.
    enum Relationship { first = 0, last = 1, next = 2, previous = 3, child = 4 };

    int32_t count() const { return static_cast<int32_t>(order_.size()); }
    /// By index (35600 outside 1..Count), key (35601 when absent) or node object (35601 for
    /// one of another tree).
    TreeNode& node(const Variant& index);
    /// "Nodes"."Add"(relative, relationship, key, text): a relative left out adds the node last
    /// at the top; 35601 for a relative that is not in the tree, 35602 for a key already used,
    /// 5 for a relationship outside 0-4.
    TreeNode& add(const Args& args);
    void remove(const Variant& index);
    void clear();
    /// Drops the nodes that left the tree (holder() is nullptr) from the keys and the order.
    void drop_removed();

  protected:
    ~TreeViewCore() = default;

    /// "Nodes", "SelectedItem" and "PathSeparator", then the common members.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);

    /// The first node at the top; nullptr for an empty tree.
    virtual TreeNode* first_root() const = 0;
    /// Makes a node relative to another (nullptr: last at the top).
    virtual std::shared_ptr<TreeNode> insert_node(TreeNode* relative, Relationship where,
                                                  const std::string& text) = 0;
    /// Removes the node and its branch from the tree.
    virtual void erase_node(TreeNode& node) = 0;
    virtual void erase_nodes() = 0;
    virtual TreeNode* selected_node() const = 0;
    virtual void select_node(TreeNode* node) = 0;

    /// The nodes in the order added, kept alive while they are in the tree.
    std::vector<std::shared_ptr<TreeNode>> order_;

  private:
    friend class TreeNode;

    KeyIndex keys_;
    std::string separator_ = "\\";
    std::shared_ptr<Collection> collection_;  // made on first use: it watches the control
};

}  // namespace ortiva::controls
