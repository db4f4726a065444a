#include "controls/memory/edit_members.hpp"

namespace ortiva::memory::detail {

namespace {

enum class M { none, Text, SelStart, SelLength, SelText };
constexpr Member<M> members[] = {
    {"", M::Text},
    {"Text", M::Text},
    {"SelStart", M::SelStart},
    {"SelLength", M::SelLength},
    {"SelText", M::SelText},
};

}  // namespace

bool dispatch_edit(EditText& edit, Access access, std::string_view member, const Args& args,
                   const Variant* value, Variant& result) {
    const M id = find_member(members, member, M::none);
    if (id == M::none) return false;
    plain_property(args);
    const bool set = access == Access::let;
    switch (id) {
        case M::Text:
            if (set) {
                edit.set_text(text_value(*value));
            } else {
                result = Variant(edit.text());
            }
            break;
        case M::SelStart:
            if (set) {
                edit.set_sel_start(int_value(*value));
            } else {
                result = Variant(edit.sel_start());
            }
            break;
        case M::SelLength:
            if (set) {
                edit.set_sel_length(int_value(*value));
            } else {
                result = Variant(edit.sel_length());
            }
            break;
        case M::SelText:
            if (set) {
                edit.replace_selection(text_value(*value));
            } else {
                result = Variant(edit.sel_text());
            }
            break;
        case M::none:
            break;
    }
    return true;
}

}  // namespace ortiva::memory::detail
