#include "controls/memory/list_view.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

// One sub-item of a row, as "ListSubItems"(c) hands it out: its text is the row's sub-item c.
class ListSubItem : public Dispatched {
  public:
    ListSubItem(std::shared_ptr<ListItem> row, int32_t column)
        : row_(std::move(row)), column_(column) {}
    std::string type_name() const override { return "ListSubItem"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        row_->owner();
        if (member.empty() || detail::same_name(member, "Text")) {
            detail::plain_property(args);
            if (access == Access::let) {
                row_->check_column(column_, err::ctl_index_out_of_bounds);
                row_->set_sub_item(column_, detail::text_value(*value));
                return {};
            }
            return Variant(row_->sub_item(column_));
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

// A row's "ListSubItems": one per column after the first, whether set or not, so that a row
// whose cells were never filled still reads as empty texts.
class ListSubItems : public Dispatched {
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
        const int32_t columns = row_->owner().column_count();
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

const std::string empty_text;

}  // namespace

ListView& ListItem::owner() const {
    if (!owner_) detail::removed();
    return *owner_;
}

const std::string& ListItem::sub_item(int32_t c) const {
    return c >= 1 && static_cast<std::size_t>(c) <= subs_.size()
               ? subs_[static_cast<std::size_t>(c - 1)]
               : empty_text;
}

bool ListItem::selected() const {
    return owner_ && owner_->selected() == this;
}

void ListItem::check_column(int32_t c, int32_t error) const {
    if (c < 1 || c >= owner().column_count()) raise(error);
}

void ListItem::set_sub_item(int32_t c, std::string text) {
    if (subs_.size() < static_cast<std::size_t>(c)) subs_.resize(static_cast<std::size_t>(c));
    subs_[static_cast<std::size_t>(c - 1)] = std::move(text);
}

Variant ListItem::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    ListView& view = owner();
    switch (detail::find_member(members, member, M::none)) {
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
                view.rekey(*this, detail::text_value(*value));
                return {};
            }
            return Variant(key_);
        case M::Index:
            detail::read_only_property(access, args);
            return Variant(index_);
        case M::SubItems: {
            detail::expect_args(args, 1, 1);
            const int32_t c = detail::int_value(args[0]);
            check_column(c, err::invalid_property_value);
            if (access == Access::let) {
                set_sub_item(c, detail::text_value(*value));
                return {};
            }
            return Variant(sub_item(c));
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
                    view.select(this);
                } else if (selected()) {
                    view.select(nullptr);
                }
                return {};
            }
            return Variant(selected());
        case M::Tag:
            detail::plain_property(args);
            if (access == Access::let) {
                tag_ = detail::text_value(*value);
                return {};
            }
            return Variant(tag_);
        case M::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::memory
