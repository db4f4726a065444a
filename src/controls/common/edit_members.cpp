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
    const M id = find_member<members>(member);
    if (id == M::none) return std::nullopt;
    plain_property(args);
    if (access != Access::let) {
        switch (id) {
            case M::SelStart:
                return Variant(edit.sel_start());
            case M::SelLength:
                return Variant(edit.sel_length());
            case M::SelText:
                return Variant(edit.sel_text());
            default:
                return Variant(edit.edit_text());
        }
    }
    const int32_t length = edit.edit_length();
    switch (id) {
        case M::SelStart:
            edit.set_selection(std::min(position_value(*value), length), 0);
            break;
        case M::SelLength: {
            const int32_t start = edit.sel_start();
            edit.set_selection(start, std::min(position_value(*value), length - start));
            break;
        }
        case M::SelText:
            edit.replace_selection(text_value(*value));
            break;
        default:
            edit.set_edit_text(text_value(*value));
            break;
    }
    return Variant();
}

}  // namespace ortiva::controls
