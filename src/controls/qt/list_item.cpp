#include "controls/qt/list_view.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

// One sub-item of a row, as "ListSubItems"(c) hands it out: its text is the row's column c.
class ListSubItem : public detail::Dispatched {
  public:
    ListSubItem(std::shared_ptr<ListItem> row, int32_t column)
        : row_(std::move(row)), column_(column) {}
    std::string type_name() const override { return "ListSubItem"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        QTreeWidgetItem* item = row_->item();
        if (member.empty() || detail::same_name(member, "Text")) {
            detail::plain_property(args);
            if (access == Access::let) {
                row_->check_column(column_, err::ctl_index_out_of_bounds);
                item->setText(column_, detail::qtext(*value));
                return {};
            }
            return detail::from_q(item->text(column_));
        }
        if (detail::same_name(member, "Index")) {
            detail::read_only_property(access, args);
            return Variant(column_);
        }
        detail::no_member();
    }

  private:
    std::shared_ptr<ListItem> row_;
    int32_t column_;
};

// A row's "ListSubItems": one per column after the first, whether set or not.
class ListSubItems : public detail::Dispatched {
  public:
    explicit ListSubItems(std::shared_ptr<ListItem> row) : row_(std::move(row)) {}
    std::string type_name() const override { return "ListSubItems"; }

    static Variant item(const std::shared_ptr<ListItem>& row, const Variant& index) {
        const int32_t c = detail::int_value(index);
        row->check_column(c, err::ctl_index_out_of_bounds);
        return detail::object_variant(std::make_shared<ListSubItem>(row, c));
    }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant*) override {
        const int32_t columns = row_->view().column_count();
        if (member.empty() || detail::same_name(member, "Item")) {
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 1, 1);
            return item(row_, args[0]);
        }
        if (detail::same_name(member, "Count")) {
            detail::read_only_property(access, args);
            return Variant(columns > 1 ? columns - 1 : 0);
        }
        detail::no_member();
    }

  private:
    std::shared_ptr<ListItem> row_;
};

enum class M { none, Text, Key, Index, SubItems, ListSubItems, Selected, Tag };
constexpr detail::Member<M> members[] = {
    {"", M::Text},
    {"Text", M::Text},
    {"Key", M::Key},
    {"Index", M::Index},
    {"SubItems", M::SubItems},
    {"ListSubItems", M::ListSubItems},
    {"Selected", M::Selected},
    {"Tag", M::Tag},
};

}  // namespace

QTreeWidgetItem* ListItem::item() const {
    if (!view_ || !view_->alive(*this)) detail::removed();
    return item_;
}

ListView& ListItem::view() const {
    item();
    return *view_;
}

void ListItem::check_column(int32_t c, int32_t error) const {
    if (c < 1 || c >= view().column_count()) raise(error);
}

Variant ListItem::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    QTreeWidgetItem* row = item();
    switch (detail::find_member(members, member, M::none)) {
        case M::Text:
            detail::plain_property(args);
            if (access == Access::let) {
                row->setText(0, detail::qtext(*value));
                return {};
            }
            return detail::from_q(row->text(0));
        case M::Key:
            detail::plain_property(args);
            if (access == Access::let) {
                view_->rekey(row, detail::qtext(*value));
                return {};
            }
            return detail::from_q(view_->key_of(row));
        case M::Index:
            detail::read_only_property(access, args);
            return Variant(view_->position_of(row));
        case M::SubItems: {
            detail::expect_args(args, 1, 1);
            const int32_t c = detail::int_value(args[0]);
            check_column(c, err::invalid_property_value);
            if (access == Access::let) {
                row->setText(c, detail::qtext(*value));
                return {};
            }
            return detail::from_q(row->text(c));
        }
        case M::ListSubItems: {
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            auto self = std::static_pointer_cast<ListItem>(shared_from_this());
            if (args.empty()) return detail::object_variant(std::make_shared<ListSubItems>(self));
            return ListSubItems::item(self, args[0]);
        }
        case M::Selected:
            detail::plain_property(args);
            if (access == Access::let) {
                if (detail::bool_value(*value)) {
                    view_->select(row);
                } else {
                    view_->flush();
                    row->setSelected(false);
                }
                return {};
            }
            view_->flush();
            return Variant(row->isSelected());
        case M::Tag:
            detail::plain_property(args);
            if (access == Access::let) {
                tag_ = detail::qtext(*value);
                return {};
            }
            return detail::from_q(tag_);
        case M::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::qt
