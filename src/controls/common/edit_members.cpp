#include "controls/common/edit_members.hpp"

#include <algorithm>

#include "controls/common/args.hpp"

namespace ortiva::controls {

namespace {

enum class M { none, Text, SelStart, SelLength, SelText };
constexpr Member<M> members[] = {
    {"", M::Text},
    {"Text", M::Text},
    {"SelStart", M::SelStart},
    {"SelLength", M::SelLength},
    {"SelText", M::SelText},
};

int32_t position_value(const Variant& v) {
    const int32_t n = int_value(v);
    if (n < 0) invalid_value();
    return n;
}

}  // namespace

std::optional<Variant> dispatch_edit(EditArea& edit, Access access, const MemberRef& member,
                                     const Args& args, const Variant* value) {
    switch (find_member<members>(member)) {
        case M::Text:
            return property(
                access, args, value, [&] { return edit.edit_text(); },
                [&](const Variant& v) { edit.set_edit_text(text_value(v)); });
        case M::SelStart:
            return property(
                access, args, value, [&] { return edit.sel_start(); },
                [&](const Variant& v) {
                    edit.set_selection(std::min(position_value(v), edit.edit_length()), 0);
                });
        case M::SelLength:
            return property(
                access, args, value, [&] { return edit.sel_length(); },
                [&](const Variant& v) {
                    const int32_t start = edit.sel_start();
                    const int32_t room = edit.edit_length() - start;
                    edit.set_selection(start, std::min(position_value(v), room));
                });
        case M::SelText:
            return property(
                access, args, value, [&] { return edit.sel_text(); },
                [&](const Variant& v) { edit.replace_selection(text_value(v)); });
        case M::none:
            break;
    }
    return std::nullopt;
}

}  // namespace ortiva::controls
