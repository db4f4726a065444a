#pragma once

// The editable text of a text box or of a combo box's edit area: the text, the caret and the
// selection, positions counted in UTF-16 units, clamped as the classic edit control does.

#include <cstdint>
#include <string>

#include "controls/common/edit_members.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/text.hpp"

namespace ortiva::memory {

class EditText : public controls::EditArea {
  public:
    std::string edit_text() const override { return text_; }
    void set_edit_text(const std::string& text) override;
    int32_t edit_length() const override { return text::utf16_length(text_); }
    int32_t sel_start() const override { return start_; }
    int32_t sel_length() const override { return selected_; }
    void set_selection(int32_t start, int32_t length) override {
        start_ = start;
        selected_ = length;
    }
    std::string sel_text() const override;
    void replace_selection(const std::string& with) override;

    /// Applies a key that the key-press hook let through: backspace deletes the selection or
    /// the character before the caret, a printable code (32-255 as Windows-1252, higher as the
    /// code point) replaces the selection; Enter and other control codes change nothing.
    void apply_key(int16_t code);

  private:
    std::string text_;
    int32_t start_ = 0;
    int32_t selected_ = 0;
};

/// Text boxes and combo boxes: the controls that take key presses.
class KeyTarget {
  public:
    virtual ~KeyTarget() = default;
    virtual EditText& key_text() = 0;
    KeyPressHandler key_handler;
};

}  // namespace ortiva::memory
