#include <string>

#include "forms/support.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

// Entries are compared blind to case and to surrounding spaces; a Null entry never equals a
// text, so it matches nothing.
bool entry_matches(const Variant& entry, const std::string& key) {
    if (entry.is_null()) return false;
    return text::upper(text::trim(forms::text_of(entry))) == key;
}

bool is_type_ahead_key(int16_t k) {
    return k == 32 || (k >= 48 && k <= 57) || (k >= 65 && k <= 90);
}

}  // namespace

void clsCommonGen::SelectComboItemByValue(HostObject& cboorlstCntrl, int32_t lngItemValue) {
    const int16_t last = forms::last_index(cboorlstCntrl.get("ListCount"));
    const Variant wanted(lngItemValue);
    const MemberId item_data = HostObject::id_of("ItemData");
    for (int16_t i = 0; i <= last; i = forms::next(i)) {
        if (loosely_equal(cboorlstCntrl.get_by_id(item_data, {Variant(i)}), wanted)) {
            cboorlstCntrl.let("ListIndex", Variant(i));
            return;
        }
    }
}

void clsCommonGen::SelectComboItem(HostObject& cboorlstCntrl, int32_t lngItemValue) {
    SelectComboItemByValue(cboorlstCntrl, lngItemValue);
}

void clsCommonGen::SelectComboItemByName(HostObject& cboorlstCntrl, const std::string& strItem) {
    const int16_t last = forms::last_index(cboorlstCntrl.get("ListCount"));
    const std::string key = text::upper(text::trim(strItem));
    const MemberId list = HostObject::id_of("List");
    for (int16_t i = 0; i <= last; i = forms::next(i)) {
        if (entry_matches(cboorlstCntrl.get_by_id(list, {Variant(i)}), key)) {
            cboorlstCntrl.let("ListIndex", Variant(i));
            return;
        }
    }
}

void clsCommonGen::MatchComboItem(HostObject& cboCntrl, int16_t& keyascii) {
    if (!is_type_ahead_key(keyascii)) {
        // The control applies the key itself; type-ahead starts again from what it shows.
        strMatchText = forms::text_of(cboCntrl.get("Text"));
        return;
    }
    strMatchText += static_cast<char>(keyascii);
    // The window handle addresses the find-first-entry request; the runtime takes the
    // control itself, but the handle is still read so a control without one fails here.
    cboCntrl.get("hwnd");
    const int32_t idx = runtime()->FindFirstEntry(cboCntrl, strMatchText);
    if (idx > -1) {
        cboCntrl.let("Text", cboCntrl.get("List", {Variant(idx)}));
        cboCntrl.let("ListIndex", Variant(idx));
        cboCntrl.let("SelStart", Variant(text::utf16_length(strMatchText)));
        // The whole length: the control clips the selection at the end of the text.
        const int32_t length = text::utf16_length(forms::text_of(cboCntrl.get("Text")));
        cboCntrl.let("SelLength", Variant(length));
    }
    keyascii = 0;
}

int32_t clsCommonGen::GetIndex(HostObject& objList, const std::string& String1) {
    if (runtime()->TypeName(objList) != "ListBox") raise(err::type_mismatch);
    const int16_t last = forms::last_index(objList.get("ListCount"));
    const std::string key = text::trim(text::upper(String1));
    const MemberId list = HostObject::id_of("List");
    for (int16_t i = 0; i <= last; i = forms::next(i)) {
        if (entry_matches(objList.get_by_id(list, {Variant(i)}), key)) return i;
    }
    return -1;
}

}  // namespace ortiva
