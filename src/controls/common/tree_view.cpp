#include "controls/common/tree_view.hpp"

#include "controls/common/args.hpp"
#include "controls/common/collection.hpp"
#include "controls/common/limits.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::controls {

namespace {

enum class NodeMember {
    none,
    Text,
    Key,
    Index,
    Parent,
    Children,
    Child,
    FirstSibling,
    LastSibling,
    Next,
    Previous,
    Root,
    FullPath,
    Expanded,
    Selected,
    Tag,
};
constexpr Member<NodeMember> node_members[] = {
    {"", NodeMember::Text},
    {"Text", NodeMember::Text},
    {"Key", NodeMember::Key},
    {"Index", NodeMember::Index},
    {"Parent", NodeMember::Parent},
    {"Children", NodeMember::Children},
    {"Child", NodeMember::Child},
    {"FirstSibling", NodeMember::FirstSibling},
    {"LastSibling", NodeMember::LastSibling},
    {"Next", NodeMember::Next},
    {"Previous", NodeMember::Previous},
    {"Root", NodeMember::Root},
    {"FullPath", NodeMember::FullPath},
    {"Expanded", NodeMember::Expanded},
    {"Selected", NodeMember::Selected},
    {"Tag", NodeMember::Tag},
};

enum class V { none, Nodes, SelectedItem, PathSeparator };
constexpr Member<V> view_members[] = {
    {"Nodes", V::Nodes},
    {"SelectedItem", V::SelectedItem},
    {"PathSeparator", V::PathSeparator},
};

Variant object(TreeNode* n) {
    return n ? object_variant(n->shared_from_this()) : nothing();
}

}  // namespace

class Nodes : public Collection {
  public:
    Nodes(Control& control, TreeViewCore* tree) : Collection(control), tree_(tree) {}
    std::string type_name() const override { return "Nodes"; }

  protected:
    Variant item(const Variant& index) override { return object(&tree_->node(index)); }
    int32_t count() override { return tree_->count(); }
    Variant add(const Args& args) override { return object(&tree_->add(args)); }
    void remove(const Variant& index) override { tree_->remove(index); }
    void clear() override { tree_->clear(); }

  private:
    TreeViewCore* tree_;
};

Variant TreeNode::dispatch(Access access, const MemberRef& member, const Args& args,
                           const Variant* value) {
    TreeViewCore* tree = holder();
    if (!tree) removed();
    const NodeMember id = find_member<node_members>(member);
    if (id == NodeMember::none) no_member();
    const bool let = access == Access::let;
    switch (id) {
        case NodeMember::Text:
        case NodeMember::Key:
        case NodeMember::Tag:
            plain_property(args);
            if (!let)
                return Variant(id == NodeMember::Text  ? text()
                               : id == NodeMember::Key ? key_
                                                       : tag_);
            if (id == NodeMember::Text) {
                set_text(text_value(*value));
            } else if (id == NodeMember::Key) {
                tree->rekey(*this, text_value(*value));
            } else {
                tag_ = text_value(*value);
            }
            return {};
        case NodeMember::Expanded:
            plain_property(args);
            if (!let) return Variant(expanded());
            set_expanded(bool_value(*value));
            return {};
        case NodeMember::Selected:
            plain_property(args);
            if (!let) return Variant(selected());
            set_selected(bool_value(*value));
            return {};
        default:
            break;
    }
    // The rest are read-only views of the node's place in the tree.
    read_only_property(access, args);
    TreeNode* n = this;
    switch (id) {
        case NodeMember::Index:
            return Variant(index());
        case NodeMember::Parent:
            return object(parent());
        case NodeMember::Children:
            return Variant(children());
        case NodeMember::Child:
            return object(first_child());
        case NodeMember::FirstSibling:
            return object(parent() ? parent()->first_child() : tree->first_root());
        case NodeMember::LastSibling:
            while (n->next())
                n = n->next();
            return object(n);
        case NodeMember::Next:
            return object(next());
        case NodeMember::Previous:
            return object(previous());
        case NodeMember::Root:
            while (n->parent())
                n = n->parent();
            return object(n);
        default: {
            std::string path = text();  // "FullPath"
            for (TreeNode* p = parent(); p; p = p->parent())
                path = p->text() + tree->path_separator() + path;
            return Variant(path);
        }
    }
}

TreeNode& TreeViewCore::node(const Variant& index) {
    if (index.is_string()) {
        const auto it = keys_.find(index.str());
        if (it == keys_.end()) raise(err::ctl_element_not_found);
        return *it->second;
    }
    if (index.is_object()) {
        auto* n = dynamic_cast<TreeNode*>(index.object().get());
        if (!n || n->holder() != this) raise(err::ctl_element_not_found);
        return *n;
    }
    const int32_t i = int_value(index);
    if (i < 1 || i > count()) raise(err::ctl_index_out_of_bounds);
    return node_at(i - 1);
}

TreeNode& TreeViewCore::add(const Args& args) {
    expect_args(args, 0, 6);  // relative, relationship, key, text, image, selected image
    check_room(static_cast<std::size_t>(count()), max_entries);
    TreeNode* relative = nullptr;
    int32_t relationship = next;
    if (given(args, 0)) {
        relative = &node(args[0]);
        if (given(args, 1)) relationship = int_value(args[1]);
        if (relationship < first || relationship > child) raise(err::invalid_call);
    }
    std::string key = key_value(arg(args, 2));
    if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    TreeNode& added =
        insert_node(relative, static_cast<Relationship>(relationship), optional_text(arg(args, 3)));
    if (!key.empty()) keys_.emplace(key, &added);
    added.key_ = std::move(key);
    return added;
}

void TreeViewCore::remove(const Variant& index) {
    erase_node(node(index));
}

void TreeViewCore::clear() {
    keys_.clear();
    erase_nodes();
}

void TreeViewCore::rekey(TreeNode& n, std::string key) {
    if (key == n.key_) return;
    if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    forget(n);
    n.key_ = std::move(key);
    if (!n.key_.empty()) keys_.emplace(n.key_, &n);
}

void TreeViewCore::forget(const TreeNode& n) {
    if (n.key_.empty()) return;
    const auto it = keys_.find(n.key_);
    if (it != keys_.end() && it->second == &n) keys_.erase(it);
}

Variant TreeViewCore::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                    const Args& args, const Variant* value) {
    self.check_alive();
    switch (find_member<view_members>(member)) {
        case V::Nodes:
            if (access == Access::let) read_only();
            expect_args(args, 0, 1);
            if (!args.empty()) return object(&node(args[0]));
            if (!collection_) collection_ = std::make_shared<Nodes>(self, this);
            return object_variant(collection_);
        case V::SelectedItem:
            plain_property(args);
            if (access != Access::let) return object(selected_node());
            if (!value->is_object()) raise(err::type_mismatch);
            select_node(value->object() ? &node(*value) : nullptr);
            return Variant();
        case V::PathSeparator:
            plain_property(args);
            if (access != Access::let) return Variant(separator_);
            separator_ = text_value(*value);
            return Variant();
        case V::none:
            break;
    }
    return self.dispatch_common(access, member, args, value);
}

}  // namespace ortiva::controls
