#include "controls/common/node_members.hpp"
#include "controls/memory/tree_view.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

using M = controls::NodeMember;
constexpr const auto& members = controls::node_members;

}  // namespace

Variant Node::object(const Node* n) const {
    return n ? detail::object_variant(owner_->share(n)) : detail::nothing();
}

Variant Node::dispatch(Access access, std::string_view member, const Args& args,
                       const Variant* value) {
    if (!owner_) detail::removed();
    const M id = detail::find_member(members, member, M::none);
    switch (id) {
        case M::Text:
            detail::plain_property(args);
            if (access == Access::let) {
                text_ = detail::text_value(*value);
                return {};
            }
            return Variant(text_);
        case M::Key:
            detail::plain_property(args);
            if (access == Access::let) {
                owner_->rekey(*this, detail::text_value(*value));
                return {};
            }
            return Variant(key_);
        case M::Tag:
            detail::plain_property(args);
            if (access == Access::let) {
                tag_ = detail::text_value(*value);
                return {};
            }
            return Variant(tag_);
        case M::Expanded:
            detail::plain_property(args);
            if (access == Access::let) {
                expanded_ = detail::bool_value(*value);
                return {};
            }
            return Variant(expanded_);
        case M::Selected:
            detail::plain_property(args);
            if (access == Access::let) {
                if (detail::bool_value(*value)) {
                    owner_->select(this);
                } else if (owner_->selected() == this) {
                    owner_->select(nullptr);
                }
                return {};
            }
            return Variant(owner_->selected() == this);
        case M::none:
            detail::no_member();
        default:
            break;
    }
    // The rest are read-only views of the node's place in the tree.
    detail::read_only_property(access, args);
    const Node* siblings = parent_ ? parent_->first_ : owner_->first_root();
    switch (id) {
        case M::Index:
            return Variant(index_);
        case M::Parent:
            return object(parent_);
        case M::Children:
            return Variant(children_);
        case M::Child:
            return object(first_);
        case M::FirstSibling:
            return object(siblings);
        case M::LastSibling: {
            const Node* n = this;
            while (n->next_)
                n = n->next_;
            return object(n);
        }
        case M::Next:
            return object(next_);
        case M::Previous:
            return object(prev_);
        case M::Root: {
            const Node* n = this;
            while (n->parent_)
                n = n->parent_;
            return object(n);
        }
        case M::FullPath: {
            std::string path = text_;
            for (const Node* n = parent_; n; n = n->parent_)
                path = n->text_ + owner_->path_separator() + path;
            return Variant(path);
        }
        default:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::memory
