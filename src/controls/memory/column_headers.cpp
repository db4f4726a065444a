#include "controls/common/limits.hpp"
#include "controls/memory/list_view.hpp"

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::memory {

using detail::Access;

namespace {

enum class C { none, Item, Count, Add, Clear };
constexpr detail::Member<C> collection_members[] = {
    {"", C::Item}, {"Item", C::Item}, {"Count", C::Count}, {"Add", C::Add}, {"Clear", C::Clear},
};

enum class M { none, Text, Key, Index, Width };
constexpr detail::Member<M> members[] = {
    {"", M::Text}, {"Text", M::Text}, {"Key", M::Key}, {"Index", M::Index}, {"Width", M::Width},
};

}  // namespace

std::shared_ptr<ColumnHeader> ListView::add_column(const Args& args) {
    detail::expect_args(args, 0, 6);  // index, key, text, width, alignment, icon
    controls::check_room(columns_.size(), controls::max_columns);
    const auto count = static_cast<int64_t>(columns_.size());
    int64_t position = count + 1;
    if (detail::given(args, 0)) {
        position = detail::int_value(args[0]);
        if (position < 1 || position > count + 1) raise(err::ctl_index_out_of_bounds);
    }
    std::string key = detail::given(args, 1) ? detail::text_value(args[1]) : std::string();
    if (!key.empty()) {
        for (const auto& c : columns_) {
            if (c->key_ == key) raise(err::ctl_key_not_unique);
        }
    }
    auto column = std::make_shared<ColumnHeader>(this);
    column->text_ = detail::optional_text(detail::arg(args, 2));
    if (detail::given(args, 3)) column->width_ = to_double(args[3]);
    column->key_ = std::move(key);
    const auto at = static_cast<std::size_t>(position - 1);
    columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at), column);
    for (std::size_t i = at; i < columns_.size(); ++i)
        columns_[i]->index_ = static_cast<int32_t>(i + 1);
    return column;
}

void ListView::clear_columns() {
    for (const auto& c : columns_)
        c->owner_ = nullptr;
    columns_.clear();
}

const std::shared_ptr<ColumnHeader>& ListView::column(const Variant& index) const {
    if (index.is_string()) {
        for (const auto& c : columns_) {
            if (!c->key_.empty() && c->key_ == index.str()) return c;
        }
        raise(err::ctl_element_not_found);
    }
    const int32_t i = detail::int_value(index);
    if (i < 1 || i > column_count()) raise(err::ctl_index_out_of_bounds);
    return columns_[static_cast<std::size_t>(i - 1)];
}

Variant ColumnHeaders::dispatch(Access access, std::string_view member, const Args& args,
                                const Variant*) {
    if (!view_) detail::removed();
    switch (detail::find_member(collection_members, member, C::none)) {
        case C::Item:
            if (access == Access::let) detail::read_only();
            detail::expect_args(args, 1, 1);
            return detail::object_variant(view_->column(args[0]));
        case C::Count:
            detail::read_only_property(access, args);
            return Variant(view_->column_count());
        case C::Add:
            detail::method(access);
            return detail::object_variant(view_->add_column(args));
        case C::Clear:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            view_->clear_columns();
            return {};
        case C::none:
            break;
    }
    detail::no_member();
}

Variant ColumnHeader::dispatch(Access access, std::string_view member, const Args& args,
                               const Variant* value) {
    if (!owner_) detail::removed();
    switch (detail::find_member(members, member, M::none)) {
        case M::Text:
            detail::plain_property(args);
            if (access == Access::let) {
                text_ = detail::text_value(*value);
                return {};
            }
            return Variant(text_);
        case M::Key:
            detail::read_only_property(access, args);
            return Variant(key_);
        case M::Index:
            detail::read_only_property(access, args);
            return Variant(index_);
        case M::Width:
            detail::plain_property(args);
            if (access == Access::let) {
                const double w = to_double(*value);
                if (w < 0) detail::invalid_value();
                width_ = w;
                return {};
            }
            return Variant(width_);
        case M::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::memory
