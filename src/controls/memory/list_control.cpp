#include "controls/memory/list_control.hpp"

#include <limits>

namespace ortiva::memory {

using detail::Access;

namespace {

enum class M { none, AddItem, RemoveItem, Clear, ListCount, List, ItemData, NewIndex, ListIndex };
constexpr detail::Member<M> members[] = {
    {"AddItem", M::AddItem},   {"RemoveItem", M::RemoveItem},
    {"Clear", M::Clear},       {"ListCount", M::ListCount},
    {"List", M::List},         {"ItemData", M::ItemData},
    {"NewIndex", M::NewIndex}, {"ListIndex", M::ListIndex},
};

// Item data is a 32-bit number: Null and non-numeric values are the wrong kind (13), values
// beyond the range overflow (6).
int32_t item_data(const Variant& v) {
    return detail::int_value(v);
}

}  // namespace

int32_t ListControl::entry_index(const Variant& v) const {
    const int32_t i = detail::int_value(v);
    if (i < 0 || i >= static_cast<int32_t>(entries_.size())) raise(err::invalid_property_index);
    return i;
}

void ListControl::select(int32_t index) {
    if (index < -1 || index >= static_cast<int32_t>(entries_.size())) detail::invalid_value();
    list_index_ = index;
    selection_changed();
}

Variant ListControl::dispatch_list(Access access, std::string_view member, const Args& args,
                                   const Variant* value) {
    switch (detail::find_member(members, member, M::none)) {
        case M::AddItem: {
            detail::method(access);
            detail::expect_args(args, 1, 2);
            std::string text = detail::text_value(args[0]);
            int32_t at = static_cast<int32_t>(entries_.size());
            if (detail::given(args, 1)) {
                at = detail::int_value(args[1]);
                if (at < 0 || at > static_cast<int32_t>(entries_.size())) raise(err::invalid_call);
            }
            if (entries_.size() >= static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
                raise(7);
            entries_.insert(entries_.begin() + at, Entry{std::move(text), 0});
            if (list_index_ >= at) ++list_index_;
            new_index_ = at;
            return {};
        }
        case M::RemoveItem: {
            detail::method(access);
            detail::expect_args(args, 1, 1);
            const int32_t at = detail::int_value(args[0]);
            if (at < 0 || at >= static_cast<int32_t>(entries_.size())) raise(err::invalid_call);
            entries_.erase(entries_.begin() + at);
            new_index_ = -1;
            // The edit text of a combo box stays when its selected entry goes.
            if (list_index_ == at) {
                list_index_ = -1;
            } else if (list_index_ > at) {
                --list_index_;
            }
            return {};
        }
        case M::Clear:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            entries_.clear();
            list_index_ = -1;
            new_index_ = -1;
            cleared();
            return {};
        case M::ListCount:
            detail::read_only_property(access, args);
            return Variant(static_cast<int32_t>(entries_.size()));
        case M::List: {
            detail::expect_args(args, 1, 1);
            Entry& entry = entries_[static_cast<std::size_t>(entry_index(args[0]))];
            if (access == Access::let) {
                entry.text = detail::text_value(*value);
                return {};
            }
            return Variant(entry.text);
        }
        case M::ItemData: {
            detail::expect_args(args, 1, 1);
            Entry& entry = entries_[static_cast<std::size_t>(entry_index(args[0]))];
            if (access == Access::let) {
                entry.data = item_data(*value);
                return {};
            }
            return Variant(entry.data);
        }
        case M::NewIndex:
            detail::read_only_property(access, args);
            return Variant(new_index_);
        case M::ListIndex:
            detail::plain_property(args);
            if (access == Access::let) {
                select(detail::int_value(*value));
                return {};
            }
            return Variant(list_index_);
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::memory
