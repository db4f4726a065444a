#pragma once

// The editable text of a text box or of a combo box's edit area: the text, the caret and the
// selection, positions counted in UTF-16 units, clamped as the classic edit control does.

#include <cstdint>
#include <string>
#include <string_view>

namespace ortiva::memory {

class EditText {
  public:
    const std::string& text() const { return text_; }
    /// Replaces the text; the caret goes to the start with nothing selected.
    void set_text(std::string text);
    int32_t length() const { return length_; }

    int32_t sel_start() const { return start_; }
    int32_t sel_length() const { return selected_; }
    /// Negative fails with 380; beyond the text puts the caret at its end. Drops the selection.
    void set_sel_start(int32_t start);
    /// Negative fails with 380; beyond the text selects up to its end.
    void set_sel_length(int32_t length);
    std::string sel_text() const;
    /// Replaces the selection (or inserts at the caret); the caret ends after the new text.
    void replace_selection(std::string_view with);

    /// Applies a key that the key-press hook let through: backspace deletes the selection or
    /// the character before the caret, a printable code (32-255 as Windows-1252, higher as the
    /// code point) replaces the selection; Enter and other control codes change nothing.
    void apply_key(int16_t code);

  private:
    std::string text_;
    int32_t length_ = 0;
    int32_t start_ = 0;
    int32_t selected_ = 0;
};

}  // namespace ortiva::memory
