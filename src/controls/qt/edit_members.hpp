#pragma once

// A QLineEdit (a text box, or a combo box's line edit) as the shared edit members see it:
// positions in UTF-16 units, as QString counts them.

#include <QLineEdit>

#include "controls/common/edit_members.hpp"
#include "controls/qt/members.hpp"

namespace ortiva::qt::detail {

/// Replaces the text; the caret goes to the start with nothing selected.
inline void set_edit_text(QLineEdit& edit, const QString& text) {
    edit.setText(text);
    edit.setCursorPosition(0);
}

class LineEditArea : public controls::EditArea {
  public:
    explicit LineEditArea(QLineEdit& edit) : edit_(edit) {}

    std::string edit_text() const override { return edit_.text().toStdString(); }
    void set_edit_text(const std::string& text) override {
        detail::set_edit_text(edit_, to_q(text));
    }
    int32_t edit_length() const override { return static_cast<int32_t>(edit_.text().size()); }
    int32_t sel_start() const override {
        return static_cast<int32_t>(edit_.hasSelectedText() ? edit_.selectionStart()
                                                            : edit_.cursorPosition());
    }
    int32_t sel_length() const override { return static_cast<int32_t>(edit_.selectionLength()); }
    void set_selection(int32_t start, int32_t length) override {
        if (length == 0) {
            edit_.deselect();
            edit_.setCursorPosition(start);
        } else {
            edit_.setSelection(start, length);
        }
    }
    std::string sel_text() const override { return edit_.selectedText().toStdString(); }
    void replace_selection(const std::string& with) override { edit_.insert(to_q(with)); }

  private:
    QLineEdit& edit_;
};

}  // namespace ortiva::qt::detail
