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
    switch (id) {
        case NodeMember::Text:
            return property(
                access, args, value, [&] { return text(); },
                [&](const Variant& v) { set_text(text_value(v)); });
        case NodeMember::Key:
            return property(
                access, args, value, [&] { return key(); },
                [&](const Variant& v) { tree->keys_.rekey(*this, text_value(v)); });
        case NodeMember::Tag:
            return property(
                access, args, value, [&] { return tag_; },
                [&](const Variant& v) { tag_ = text_value(v); });
        case NodeMember::Expanded:
            return property(
                access, args, value, [&] { return expanded(); },
                [&](const Variant& v) { set_expanded(bool_value(v)); });
        case NodeMember::Selected:
            return property(
                access, args, value, [&] { return selected(); },
                [&](const Variant& v) { set_selected(bool_value(v)); });
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
                path = p->text() + tree->separator_ + path;
            return Variant(path);
        }
    }
}

TreeNode& TreeViewCore::node(const Variant& index) {
    if (index.is_string()) return static_cast<TreeNode&>(keys_.at(index.str()));
    if (index.is_object()) {
        auto* n = dynamic_cast<TreeNode*>(index.object().get());
        if (!n || n->holder() != this) raise(err::ctl_element_not_found);
        return *n;
    }
    return *order_[static_cast<std::size_t>(position_index(index, count()))];
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
    keys_.check_free(key);
    auto added =
        insert_node(relative, static_cast<Relationship>(relationship), optional_text(arg(args, 3)));
    keys_.assign(*added, std::move(key));
    order_.push_back(added);
    added->index_ = count();
    return *added;
}

void TreeViewCore::remove(const Variant& index) {
    erase_node(node(index));
    drop_removed();
}

void TreeViewCore::clear() {
    keys_.clear();
    erase_nodes();
    order_.clear();
}

void TreeViewCore::drop_removed() {
    std::erase_if(order_, [&](const std::shared_ptr<TreeNode>& n) {
        if (n->holder()) return false;
        keys_.forget(*n);
        return true;
    });
    for (std::size_t i = 0; i < order_.size(); ++i)
        order_[i]->index_ = static_cast<int32_t>(i + 1);
}

Variant TreeViewCore::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                    const Args& args, const Variant* value) {
    self.check_alive();
    switch (find_member<view_members>(member)) {
        case V::Nodes:
            if (!collection_) collection_ = std::make_shared<Nodes>(self, this);
            return collection_->hand_out(access, args);
        case V::SelectedItem:
            plain_property(args);
            if (access != Access::let) return object(selected_node());
            if (!value->is_object()) raise(err::type_mismatch);
            select_node(value->object() ? &node(*value) : nullptr);
            return Variant();
        case V::PathSeparator:
            return property(
                access, args, value, [&] { return separator_; },
                [&](const Variant& v) { separator_ = text_value(v); });
        case V::none:
            break;
    }
    return self.dispatch_common(access, member, args, value);
}

}  // namespace ortiva::controls
