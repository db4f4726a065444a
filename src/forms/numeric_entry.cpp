#include <string>

#include "forms/support.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

constexpr int16_t key_backspace = 8;
constexpr int16_t key_enter = 13;
constexpr int16_t key_minus = 45;
constexpr int16_t key_point = 46;

bool is_digit_key(int16_t k) {
    return k >= 48 && k <= 57;
}

}  // namespace

void clsCommonGen::TextValidateNum(HostObject& txtcontrol, int16_t& keyascii, int16_t intNoLength,
                                   int16_t intPrecision) {
    const int16_t k = keyascii;
    const int16_t p = intPrecision;
    // Every test looks at the text as it is now, after any clearing below.
    const auto current_text = [&txtcontrol] { return forms::text_of(txtcontrol.get("Text")); };

    // A key typed over a whole selection replaces it, so the text goes before the key is
    // judged.
    if (k != key_enter) {
        const int32_t length = text::utf16_length(forms::text_of(txtcontrol.get("")));
        if (loosely_equal(Variant(length), txtcontrol.get("SelLength")))
            txtcontrol.let("", Variant(std::string()));
    }

    // A sign takes one character of its own.
    const int16_t allowance =
        text::find(current_text(), "-") > 0 ? forms::to16(int32_t{intNoLength} + 1) : intNoLength;
    const int16_t integer_limit = forms::to16(int32_t{allowance} - p);

    bool refuse;
    if (is_digit_key(k) || k == key_backspace) {
        const std::string text = current_text();
        const int32_t point = text::find(text, ".");
        // Limits compare with equality: a longer (pasted) text takes further digits.
        if (p > 0 && point > 0) {
            const int32_t decimals = text::utf16_length(text) - point + 1;
            refuse = k != key_backspace && decimals == forms::to16(int32_t{p} + 1);
        } else {
            refuse = k != key_backspace && text::utf16_length(text) == integer_limit;
        }
    } else if (k == key_minus) {
        refuse = to_int32(txtcontrol.get("SelStart")) > 0 || text::find(current_text(), "-") > 0;
    } else if (k == key_point) {
        refuse = p == 0 || (p > 0 && text::find(current_text(), ".") > 0);
    } else {
        refuse = true;
    }
    if (refuse) keyascii = 0;
}

}  // namespace ortiva
