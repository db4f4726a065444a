#pragma once

// A QLineEdit (a text box, or a combo box's line edit) as the shared edit members see it:
// positions in UTF-16 units, as QString counts them.

#include <QLineEdit>

#include "controls/common/edit_members.hpp"
#include "controls/qt/members.hpp"

namespace ortiva::qt::detail {

class LineEditArea : public controls::EditArea {
  public:
    explicit LineEditArea(QLineEdit& edit) : edit_(edit) {}

    std::string edit_text() const override { return edit_.text().toStdString(); }
    void set_edit_text(const std::string& text) override;
    int32_t edit_length() const override { return static_cast<int32_t>(edit_.text().size()); }
    int32_t sel_start() const override;
    int32_t sel_length() const override { return static_cast<int32_t>(edit_.selectionLength()); }
    void set_selection(int32_t start, int32_t length) override;
    std::string sel_text() const override { return edit_.selectedText().toStdString(); }
    void replace_selection(const std::string& with) override { edit_.insert(to_q(with)); }

  private:
    QLineEdit& edit_;
};

/// Replaces the text; the caret goes to the start with nothing selected.
void set_edit_text(QLineEdit& edit, const QString& text);

}  // namespace ortiva::qt::detail
