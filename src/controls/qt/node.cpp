#include "controls/common/node_members.hpp"
#include "controls/qt/tree_view.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

using M = controls::NodeMember;
constexpr const auto& members = controls::node_members;

}  // namespace

Variant Node::dispatch(Access access, std::string_view member, const Args& args,
                       const Variant* value) {
    NodeItem* n = item();
    const M id = detail::find_member(members, member, M::none);
    switch (id) {
        case M::Text:
            detail::plain_property(args);
            if (access == Access::let) {
                n->setText(0, detail::qtext(*value));
                return {};
            }
            return detail::from_q(n->text(0));
        case M::Key:
            detail::plain_property(args);
            if (access == Access::let) {
                tree_->rekey(n, detail::qtext(*value));
                return {};
            }
            return detail::from_q(n->key);
        case M::Tag:
            detail::plain_property(args);
            if (access == Access::let) {
                n->tag = detail::qtext(*value);
                return {};
            }
            return detail::from_q(n->tag);
        case M::Expanded:
            detail::plain_property(args);
            if (access == Access::let) {
                n->setExpanded(detail::bool_value(*value));
                return {};
            }
            return Variant(n->isExpanded());
        case M::Selected:
            detail::plain_property(args);
            if (access == Access::let) {
                if (detail::bool_value(*value)) {
                    tree_->tree().clearSelection();
                    tree_->tree().setCurrentItem(n);
                }
                n->setSelected(detail::bool_value(*value));
                return {};
            }
            return Variant(n->isSelected());
        case M::none:
            detail::no_member();
        default:
            break;
    }
    // The rest are read-only views of the node's place in the tree.
    detail::read_only_property(access, args);
    QTreeWidget& t = tree_->tree();
    QTreeWidgetItem* parent = n->parent();
    const int siblings = parent ? parent->childCount() : t.topLevelItemCount();
    auto sibling = [&](int i) -> QTreeWidgetItem* {
        if (i < 0 || i >= siblings) return nullptr;
        return parent ? parent->child(i) : t.topLevelItem(i);
    };
    const int at = parent ? parent->indexOfChild(n) : t.indexOfTopLevelItem(n);
    switch (id) {
        case M::Index:
            return Variant(tree_->index_of(n));
        case M::Parent:
            return tree_->object(parent);
        case M::Children:
            return Variant(static_cast<int32_t>(n->childCount()));
        case M::Child:
            return tree_->object(n->child(0));
        case M::FirstSibling:
            return tree_->object(sibling(0));
        case M::LastSibling:
            return tree_->object(sibling(siblings - 1));
        case M::Next:
            return tree_->object(sibling(at + 1));
        case M::Previous:
            return tree_->object(sibling(at - 1));
        case M::Root: {
            QTreeWidgetItem* top = n;
            while (top->parent())
                top = top->parent();
            return tree_->object(top);
        }
        case M::FullPath: {
            QString path = n->text(0);
            for (QTreeWidgetItem* p = parent; p; p = p->parent())
                path = p->text(0) + tree_->path_separator() + path;
            return detail::from_q(path);
        }
        default:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::qt
