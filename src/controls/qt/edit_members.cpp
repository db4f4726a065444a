#include "controls/qt/edit_members.hpp"

namespace ortiva::qt::detail {

namespace {

enum class M { none, Text, SelStart, SelLength, SelText };
constexpr Member<M> members[] = {
    {"", M::Text},
    {"Text", M::Text},
    {"SelStart", M::SelStart},
    {"SelLength", M::SelLength},
    {"SelText", M::SelText},
};

int32_t sel_start(const QLineEdit& edit) {
    return static_cast<int32_t>(edit.hasSelectedText() ? edit.selectionStart()
                                                       : edit.cursorPosition());
}

}  // namespace

void set_edit_text(QLineEdit& edit, const QString& text) {
    edit.setText(text);
    edit.setCursorPosition(0);
}

bool dispatch_edit(QLineEdit& edit, Access access, std::string_view member, const Args& args,
                   const Variant* value, Variant& result) {
    const M id = find_member(members, member, M::none);
    if (id == M::none) return false;
    plain_property(args);
    const bool set = access == Access::let;
    const int32_t length = static_cast<int32_t>(edit.text().size());
    switch (id) {
        case M::Text:
            if (set) {
                set_edit_text(edit, qtext(*value));
            } else {
                result = from_q(edit.text());
            }
            break;
        case M::SelStart:
            if (set) {
                const int32_t start = int_value(*value);
                if (start < 0) invalid_value();
                edit.deselect();
                edit.setCursorPosition(start > length ? length : start);
            } else {
                result = Variant(sel_start(edit));
            }
            break;
        case M::SelLength:
            if (set) {
                const int32_t wanted = int_value(*value);
                if (wanted < 0) invalid_value();
                const int32_t start = sel_start(edit);
                const int32_t room = length - start;
                edit.setSelection(start, wanted > room ? room : wanted);
            } else {
                result = Variant(static_cast<int32_t>(edit.selectionLength()));
            }
            break;
        case M::SelText:
            if (set) {
                edit.insert(qtext(*value));
            } else {
                result = from_q(edit.selectedText());
            }
            break;
        case M::none:
            break;
    }
    return true;
}

}  // namespace ortiva::qt::detail
