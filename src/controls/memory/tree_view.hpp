#pragma once

// "TreeView": nodes with unique keys, each with a parent (or none, at the top) and ordered
// children. "Nodes" lists them from 1 in the order they were added; display order follows the
// tree. Keys are looked up in a hash map. Nodes refer to their tree without owning it and fail
// with 35605 once removed from it (or once the tree is gone).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/memory/control.hpp"

namespace ortiva::memory {

class TreeView;

class Node : public Dispatched {
  public:
    explicit Node(TreeView* owner) : owner_(owner) {}
    std::string type_name() const override { return "Node"; }

    const std::string& key() const { return key_; }
    const std::string& text() const { return text_; }
    const Node* parent() const { return parent_; }
    const Node* first_child() const { return first_; }
    const Node* next() const { return next_; }
    int32_t index() const { return index_; }
    bool expanded() const { return expanded_; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    friend class TreeView;
    Variant object(const Node* n) const;

    TreeView* owner_;
    std::string key_;
    std::string text_;
    std::string tag_;
    Node* parent_ = nullptr;
    Node* first_ = nullptr;
    Node* last_ = nullptr;
    Node* prev_ = nullptr;
    Node* next_ = nullptr;
    int32_t children_ = 0;
    int32_t index_ = 0;
    bool expanded_ = false;
};

class Nodes : public Dispatched {
  public:
    explicit Nodes(TreeView* tree) : tree_(tree) {}
    std::string type_name() const override { return "Nodes"; }
    void detach() { tree_ = nullptr; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    TreeView* tree_;
};

class TreeView : public Control {
  public:
    /// Where "Add" puts a node relative to another.
    enum Relationship { first = 0, last = 1, next = 2, previous = 3, child = 4 };

    explicit TreeView(std::string name);
    ~TreeView() override;

    int32_t count() const { return static_cast<int32_t>(nodes_.size()); }
    const Node* first_root() const { return first_root_; }
    const Node* selected() const { return selected_; }
    /// Visits every node in display order with its depth (0 at the top).
    void walk(const std::function<void(const Node&, int)>& visit) const;

    /// "Nodes"."Add"(relative, relationship, key, text): a relative left out adds the node last
    /// at the top; a relative (key, index or node) that does not exist fails with 35601, a key
    /// already in the tree with 35602, a relationship outside 0-4 with 5.
    std::shared_ptr<Node> add(const Args& args);
    void remove(const Variant& index);
    void clear();
    /// A node by index (35600 outside 1..Count), key (35601 when absent) or object.
    Node& node(const Variant& index) const;
    void rekey(Node& node, std::string key);
    void select(Node* node) { selected_ = node; }
    std::shared_ptr<Node> share(const Node* node) const;
    const std::string& path_separator() const { return separator_; }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    void link(Node* node, Node* parent, Node* before);
    void unlink(Node* node);

    std::vector<std::shared_ptr<Node>> nodes_;  // by index, in the order added
    std::unordered_map<std::string, Node*> keys_;
    std::shared_ptr<Nodes> collection_;
    std::string separator_ = "\\";
    Node* first_root_ = nullptr;
    Node* last_root_ = nullptr;
    Node* selected_ = nullptr;
};

}  // namespace ortiva::memory
