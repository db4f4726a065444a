#include "controls/common/list_control.hpp"

#include "controls/common/args.hpp"
#include "controls/common/limits.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva::controls {

namespace {

enum class M {
    none,
    AddItem,
    RemoveItem,
    Clear,
    ListCount,
    List,
    ItemData,
    NewIndex,
    ListIndex,
    Text
};
constexpr Member<M> members[] = {
    {"", M::Text},
    {"Text", M::Text},
    {"AddItem", M::AddItem},
    {"RemoveItem", M::RemoveItem},
    {"Clear", M::Clear},
    {"ListCount", M::ListCount},
    {"List", M::List},
    {"ItemData", M::ItemData},
    {"NewIndex", M::NewIndex},
    {"ListIndex", M::ListIndex},
};

constexpr Member<M> text_members[] = {{"", M::Text}, {"Text", M::Text}};

}  // namespace

int32_t ListMembers::entry_index(const Variant& v) const {
    const int32_t i = int_value(v);
    if (i < 0 || i >= entry_count()) raise(err::invalid_property_index);
    return i;
}

bool is_text_member(const MemberRef& member) {
    return find_member<text_members>(member) == M::Text;
}

void ListMembers::select(int32_t index) {
    if (index < -1 || index >= entry_count()) invalid_value();
    select_entry(index);
}

Variant ListMembers::dispatch_kind(Control& self, Access access, const MemberRef& member,
                                   const Args& args, const Variant* value) {
    self.check_alive();
    switch (find_member<members>(member)) {
        case M::AddItem: {
            method(access);
            expect_args(args, 1, 2);
            const std::string text = to_text(args[0]);
            const int32_t count = entry_count();
            int32_t at = count;
            if (given(args, 1)) {
                at = int_value(args[1]);
                if (at < 0 || at > count) raise(err::invalid_call);
            }
            check_room(static_cast<std::size_t>(count), max_entries);
            insert_entry(at, text);
            new_index_ = at;
            return Variant();
        }
        case M::RemoveItem: {
            method(access);
            expect_args(args, 1, 1);
            const int32_t at = int_value(args[0]);
            if (at < 0 || at >= entry_count()) raise(err::invalid_call);
            remove_entry(at);
            new_index_ = -1;
            return Variant();
        }
        case M::Clear:
            method(access);
            expect_args(args, 0, 0);
            clear_entries();
            new_index_ = -1;
            return Variant();
        case M::ListCount:
            read_only_property(access, args);
            return Variant(entry_count());
        case M::List: {
            expect_args(args, 1, 1);
            const int32_t i = entry_index(args[0]);
            if (access != Access::let) return Variant(entry_text(i));
            set_entry_text(i, to_text(*value));
            return Variant();
        }
        case M::ItemData: {
            expect_args(args, 1, 1);
            const int32_t i = entry_index(args[0]);
            if (access != Access::let) return Variant(entry_data(i));
            set_entry_data(i, int_value(*value));
            return Variant();
        }
        case M::NewIndex:
            read_only_property(access, args);
            return Variant(new_index_);
        case M::ListIndex:
            return property(
                access, args, value, [&] { return selected_entry(); },
                [&](const Variant& v) { select(int_value(v)); });
        case M::Text: {
            plain_property(args);
            const int32_t selected = selected_entry();
            if (access != Access::let)
                return Variant(selected < 0 ? std::string() : entry_text(selected));
            // The first entry of that text, case-blind, is selected; none changes nothing.
            const std::string wanted = text::upper(text_value(*value));
            for (int32_t i = 0; i < entry_count(); ++i) {
                if (text::upper(entry_text(i)) == wanted) {
                    select(i);
                    break;
                }
            }
            return Variant();
        }
        case M::none:
            break;
    }
    return self.dispatch_common(access, member, args, value);
}

}  // namespace ortiva::controls
