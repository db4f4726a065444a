#include "controls/memory/list_view.hpp"
#include "controls/common/limits.hpp"

#include <algorithm>

#include "ortiva/error_info.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

enum class M { none, ListItems, ColumnHeaders, SelectedItem };
constexpr detail::Member<M> members[] = {
    {"ListItems", M::ListItems},
    {"ColumnHeaders", M::ColumnHeaders},
    {"SelectedItem", M::SelectedItem},
};

enum class C { none, Item, Count, Add, Remove, Clear };
constexpr detail::Member<C> collection_members[] = {
    {"", C::Item},   {"Item", C::Item},     {"Count", C::Count},
    {"Add", C::Add}, {"Remove", C::Remove}, {"Clear", C::Clear},
};

// A key given as an argument: left out, Empty or "" means no key.
std::string key_value(const Variant& v) {
    if (v.is_missing() || v.is_empty()) return {};
    return detail::text_value(v);
}

}  // namespace

ListView::ListView(std::string name)
    : Control("ListView", std::move(name), true),
      items_(std::make_shared<ListItems>(this)),
      headers_(std::make_shared<ColumnHeaders>(this)) {}

ListView::~ListView() {
    items_->detach();
    headers_->detach();
    for (const auto& r : rows_)
        r->owner_ = nullptr;
    for (const auto& c : columns_)
        c->owner_ = nullptr;
}

void ListView::renumber_rows(std::size_t from) {
    for (std::size_t i = from; i < rows_.size(); ++i)
        rows_[i]->index_ = static_cast<int32_t>(i + 1);
}

std::shared_ptr<ListItem> ListView::add_row(const Args& args) {
    detail::expect_args(args, 0, 5);  // index, key, text, icon, small icon
    controls::check_room(rows_.size(), controls::max_entries);
    const auto count = static_cast<int64_t>(rows_.size());
    int64_t position = count + 1;
    if (detail::given(args, 0)) {
        position = detail::int_value(args[0]);
        if (position < 1 || position > count + 1) raise(err::ctl_index_out_of_bounds);
    }
    std::string key = key_value(detail::arg(args, 1));
    if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    std::string text = detail::optional_text(detail::arg(args, 2));

    auto row = std::make_shared<ListItem>(this);
    row->text_ = std::move(text);
    row->key_ = std::move(key);
    const auto at = static_cast<std::size_t>(position - 1);
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), row);
    renumber_rows(at);
    if (!row->key_.empty()) keys_.emplace(row->key_, row.get());
    return row;
}

const std::shared_ptr<ListItem>& ListView::row(const Variant& index) const {
    if (index.is_string()) {
        const auto it = keys_.find(index.str());
        if (it == keys_.end()) raise(err::ctl_element_not_found);
        return rows_[static_cast<std::size_t>(it->second->index_ - 1)];
    }
    const int32_t i = detail::int_value(index);
    if (i < 1 || i > row_count()) raise(err::ctl_index_out_of_bounds);
    return rows_[static_cast<std::size_t>(i - 1)];
}

void ListView::remove_row(const Variant& index) {
    const std::shared_ptr<ListItem> gone = row(index);
    const auto at = static_cast<std::size_t>(gone->index_ - 1);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
    renumber_rows(at);
    if (!gone->key_.empty()) keys_.erase(gone->key_);
    gone->owner_ = nullptr;
    // The selection moves to the row that took the removed one's place (or to the new last
    // row), so that "SelectedItem" still names a row while rows remain.
    if (selected_ == gone.get()) {
        selected_ = rows_.empty() ? nullptr : rows_[std::min(at, rows_.size() - 1)].get();
    }
}

void ListView::clear_rows() {
    for (const auto& r : rows_)
        r->owner_ = nullptr;
    rows_.clear();
    keys_.clear();
    selected_ = nullptr;
}

void ListView::rekey(ListItem& row, std::string key) {
    if (key == row.key_) return;
    if (!key.empty() && keys_.count(key) != 0) raise(err::ctl_key_not_unique);
    if (!row.key_.empty()) keys_.erase(row.key_);
    row.key_ = std::move(key);
    if (!row.key_.empty()) keys_.emplace(row.key_, &row);
}

Variant ListView::dispatch(Access access, std::string_view member, const Args& args,
                           const Variant* value) {
    switch (detail::find_member(members, member, M::none)) {
        case M::ListItems:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(items_);
            return detail::object_variant(row(args[0]));
        case M::ColumnHeaders:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 0, 1);
            if (args.empty()) return detail::object_variant(headers_);
            return detail::object_variant(column(args[0]));
        case M::SelectedItem:
            detail::plain_property(args);
            if (access == Access::let) {
                if (!value->is_object()) raise(err::type_mismatch);
                if (!value->object()) {
                    selected_ = nullptr;
                    return {};
                }
                auto* item = dynamic_cast<ListItem*>(value->object().get());
                if (!item || item->owner_ != this) detail::invalid_value();
                selected_ = item;
                return {};
            }
            if (!selected_) return detail::nothing();
            return detail::object_variant(rows_[static_cast<std::size_t>(selected_->index_ - 1)]);
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

Variant ListItems::dispatch(Access access, std::string_view member, const Args& args,
                            const Variant*) {
    if (!view_) detail::removed();
    switch (detail::find_member(collection_members, member, C::none)) {
        case C::Item:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 1, 1);
            return detail::object_variant(view_->row(args[0]));
        case C::Count:
            detail::read_only_property(access, args);
            return Variant(view_->row_count());
        case C::Add:
            detail::method(access);
            return detail::object_variant(view_->add_row(args));
        case C::Remove:
            detail::method(access);
            detail::expect_args(args, 1, 1);
            view_->remove_row(args[0]);
            return {};
        case C::Clear:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            view_->clear_rows();
            return {};
        case C::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::memory
