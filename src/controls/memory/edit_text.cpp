#include "controls/memory/edit_text.hpp"

#include "ortiva/text.hpp"

namespace ortiva::memory {

namespace {

bool is_low_surrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A position between the halves of a surrogate pair moves past the pair, so that an edit never
// splits a character.
std::size_t whole(const std::u16string& s, std::size_t pos) {
    if (pos > 0 && pos < s.size() && is_low_surrogate(s[pos])) ++pos;
    return pos;
}

}  // namespace

void EditText::set_edit_text(const std::string& text) {
    text_ = text;
    start_ = 0;
    selected_ = 0;
}

std::string EditText::sel_text() const {
    if (selected_ == 0) return {};
    const std::u16string units = text::to_utf16(text_);
    return text::from_utf16(std::u16string_view(units).substr(start_, selected_));
}

void EditText::replace_selection(const std::string& with) {
    std::u16string units = text::to_utf16(text_);
    const std::size_t from = whole(units, static_cast<std::size_t>(start_));
    const std::size_t to = whole(units, static_cast<std::size_t>(start_ + selected_));
    const std::u16string inserted = text::to_utf16(with);
    units.replace(from, to - from, inserted);
    text_ = text::from_utf16(units);
    start_ = static_cast<int32_t>(from + inserted.size());
    selected_ = 0;
}

void EditText::apply_key(int16_t code) {
    if (code == 8) {
        if (selected_ == 0) {
            if (start_ == 0) return;
            // Nothing selected: the character before the caret, both halves of a pair.
            const std::u16string units = text::to_utf16(text_);
            const std::size_t pos = whole(units, static_cast<std::size_t>(start_));
            std::size_t from = pos - 1;
            if (from > 0 && is_low_surrogate(units[from])) --from;
            set_selection(static_cast<int32_t>(from), static_cast<int32_t>(pos - from));
        }
        replace_selection({});
        return;
    }
    if (code < 32 || code == 127) return;
    char32_t c =
        code <= 255 ? text::cp1252_char(static_cast<uint8_t>(code)) : static_cast<char32_t>(code);
    if (c >= 0xD800 && c <= 0xDFFF) return;
    replace_selection(text::from_utf32(std::u32string_view(&c, 1)));
}

}  // namespace ortiva::memory
