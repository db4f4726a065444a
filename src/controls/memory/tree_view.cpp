#include "controls/memory/tree_view.hpp"
#include "controls/common/limits.hpp"

#include <algorithm>

#include "ortiva/error_info.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

enum class M { none, Nodes, SelectedItem, PathSeparator };
constexpr detail::Member<M> members[] = {
    {"Nodes", M::Nodes},
    {"SelectedItem", M::SelectedItem},
    {"PathSeparator", M::PathSeparator},
};

enum class C { none, Item, Count, Add, Remove, Clear };
constexpr detail::Member<C> collection_members[] = {
    {"", C::Item},   {"Item", C::Item},     {"Count", C::Count},
    {"Add", C::Add}, {"Remove", C::Remove}, {"Clear", C::Clear},
};

std::string key_value(const Variant& v) {
    if (v.is_missing() || v.is_empty()) return {};
    return detail::text_value(v);
}

}  // namespace

TreeView::TreeView(std::string name)
    : Control("TreeView", std::move(name), true), collection_(std::make_shared<Nodes>(this)) {}

TreeView::~TreeView() {
    collection_->detach();
    for (const auto& n : nodes_)
        n->owner_ = nullptr;
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

Node& TreeView::node(const Variant& index) const {
    if (index.is_string()) {
        const auto it = keys_.find(index.str());
        if (it == keys_.end()) raise(err::ctl_element_not_found);
        return *it->second;
    }
    if (index.is_object()) {
        auto* n = dynamic_cast<Node*>(index.object().get());
        if (!n || n->owner_ != this) raise(err::ctl_element_not_found);
        return *n;
    }
    const int32_t i = detail::int_value(index);
    if (i < 1 || i > count()) raise(err::ctl_index_out_of_bounds);
    return *nodes_[static_cast<std::size_t>(i - 1)];
}

std::shared_ptr<Node> TreeView::share(const Node* n) const {
    return nodes_[static_cast<std::size_t>(n->index_ - 1)];
}

std::shared_ptr<Node> TreeView::add(const Args& args) {
    detail::expect_args(args, 0, 6);  // relative, relationship, key, text, image, selected image
    controls::check_room(nodes_.size(), controls::max_entries);
    Node* relative = nullptr;
    int32_t relationship = next;
    if (detail::given(args, 0)) {
        relative = &node(args[0]);
        if (detail::given(args, 1)) relationship = detail::int_value(args[1]);
        if (relationship < first || relationship > child) raise(err::invalid_call);
    }
    std::string key = key_value(detail::arg(args, 2));
    if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    std::string text = detail::optional_text(detail::arg(args, 3));

    auto n = std::make_shared<Node>(this);
    n->key_ = std::move(key);
    n->text_ = std::move(text);
    n->index_ = count() + 1;
    if (!relative) {
        link(n.get(), nullptr, nullptr);
    } else {
        Node* parent = relative->parent_;
        switch (relationship) {
            case first:
                link(n.get(), parent, parent ? parent->first_ : first_root_);
                break;
            case last:
                link(n.get(), parent, nullptr);
                break;
            case next:
                link(n.get(), parent, relative->next_);
                break;
            case previous:
                link(n.get(), parent, relative);
                break;
            default:
                link(n.get(), relative, nullptr);
                break;
        }
    }
    nodes_.push_back(n);
    if (!n->key_.empty()) keys_.emplace(n->key_, n.get());
    return n;
}

void TreeView::remove(const Variant& index) {
    Node& top = node(index);
    unlink(&top);
    // Detach the node and everything below it; links inside the removed branch are no longer
    // followed, as removed nodes answer nothing.
    std::vector<Node*> pending{&top};
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        for (Node* c = n->first_; c; c = c->next_)
            pending.push_back(c);
        if (!n->key_.empty()) keys_.erase(n->key_);
        if (selected_ == n) selected_ = nullptr;
        n->owner_ = nullptr;
    }
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(),
                                [](const auto& n) { return n->owner_ == nullptr; }),
                 nodes_.end());
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        nodes_[i]->index_ = static_cast<int32_t>(i + 1);
}

void TreeView::clear() {
    for (const auto& n : nodes_)
        n->owner_ = nullptr;
    nodes_.clear();
    keys_.clear();
    first_root_ = last_root_ = selected_ = nullptr;
}

void TreeView::rekey(Node& n, std::string key) {
    if (key == n.key_) return;
    if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    if (!n.key_.empty()) keys_.erase(n.key_);
    n.key_ = std::move(key);
    if (!n.key_.empty()) keys_.emplace(n.key_, &n);
}

Variant TreeView::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    switch (detail::find_member(members, member, M::none)) {
        case M::Nodes:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(collection_);
            return detail::object_variant(share(&node(args[0])));
        case M::SelectedItem:
            detail::plain_property(args);
            if (access == Access::let) {
                if (!value->is_object()) raise(err::type_mismatch);
                selected_ = value->object() ? &node(*value) : nullptr;
                return {};
            }
            return selected_ ? detail::object_variant(share(selected_)) : detail::nothing();
        case M::PathSeparator:
            detail::plain_property(args);
            if (access == Access::let) {
                separator_ = detail::text_value(*value);
                return {};
            }
            return Variant(separator_);
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

Variant Nodes::dispatch(Access access, std::string_view member, const Args& args, const Variant*) {
    if (!tree_) detail::removed();
    switch (detail::find_member(collection_members, member, C::none)) {
        case C::Item:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 1, 1);
            return detail::object_variant(tree_->share(&tree_->node(args[0])));
        case C::Count:
            detail::read_only_property(access, args);
            return Variant(tree_->count());
        case C::Add:
            detail::method(access);
            return detail::object_variant(tree_->add(args));
        case C::Remove:
            detail::method(access);
            detail::expect_args(args, 1, 1);
            tree_->remove(args[0]);
            return {};
        case C::Clear:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            tree_->clear();
            return {};
        case C::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::memory
