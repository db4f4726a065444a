#include "controls/qt/edit_members.hpp"

namespace ortiva::qt::detail {

void set_edit_text(QLineEdit& edit, const QString& text) {
    edit.setText(text);
    edit.setCursorPosition(0);
}

void LineEditArea::set_edit_text(const std::string& text) {
    detail::set_edit_text(edit_, to_q(text));
}

int32_t LineEditArea::sel_start() const {
    return static_cast<int32_t>(edit_.hasSelectedText() ? edit_.selectionStart()
                                                        : edit_.cursorPosition());
}

void LineEditArea::set_selection(int32_t start, int32_t length) {
    if (length == 0) {
        edit_.deselect();
        edit_.setCursorPosition(start);
    } else {
        edit_.setSelection(start, length);
    }
}

}  // namespace ortiva::qt::detail
