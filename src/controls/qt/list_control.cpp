#include "controls/qt/list_control.hpp"

#include <limits>

namespace ortiva::qt {

using detail::Access;

namespace {

enum class M { none, AddItem, RemoveItem, Clear, ListCount, List, ItemData, NewIndex, ListIndex };
constexpr detail::Member<M> members[] = {
    {"AddItem", M::AddItem},   {"RemoveItem", M::RemoveItem},
    {"Clear", M::Clear},       {"ListCount", M::ListCount},
    {"List", M::List},         {"ItemData", M::ItemData},
    {"NewIndex", M::NewIndex}, {"ListIndex", M::ListIndex},
};

}  // namespace

int32_t ListControl::entry_index(const Variant& v) const {
    const int32_t i = detail::int_value(v);
    if (i < 0 || i >= count()) raise(err::invalid_property_index);
    return i;
}

void ListControl::select(int32_t index) {
    if (index < -1 || index >= count()) detail::invalid_value();
    set_current(index);
}

Variant ListControl::dispatch_list(Access access, std::string_view member, const Args& args,
                                   const Variant* value) {
    switch (detail::find_member(members, member, M::none)) {
        case M::AddItem: {
            detail::method(access);
            detail::expect_args(args, 1, 2);
            const QString text = detail::qtext(args[0]);
            int32_t at = count();
            if (detail::given(args, 1)) {
                at = detail::int_value(args[1]);
                if (at < 0 || at > count()) raise(err::invalid_call);
            }
            if (count() == std::numeric_limits<int32_t>::max()) raise(7);
            insert_entry(at, text);
            new_index_ = at;
            return {};
        }
        case M::RemoveItem: {
            detail::method(access);
            detail::expect_args(args, 1, 1);
            const int32_t at = detail::int_value(args[0]);
            if (at < 0 || at >= count()) raise(err::invalid_call);
            remove_entry(at);
            new_index_ = -1;
            return {};
        }
        case M::Clear:
            detail::method(access);
            detail::expect_args(args, 0, 0);
            clear_entries();
            new_index_ = -1;
            return {};
        case M::ListCount:
            detail::read_only_property(access, args);
            return Variant(count());
        case M::List: {
            detail::expect_args(args, 1, 1);
            const int32_t i = entry_index(args[0]);
            if (access == Access::let) {
                set_entry_text(i, detail::qtext(*value));
                return {};
            }
            return detail::from_q(entry_text(i));
        }
        case M::ItemData: {
            detail::expect_args(args, 1, 1);
            const int32_t i = entry_index(args[0]);
            if (access == Access::let) {
                set_entry_data(i, detail::int_value(*value));
                return {};
            }
            return Variant(entry_data(i));
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
            return Variant(current());
        case M::none:
            break;
    }
    return dispatch_common(access, member, args, value);
}

}  // namespace ortiva::qt
