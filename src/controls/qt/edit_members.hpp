#pragma once

// "Text", "SelStart", "SelLength" and "SelText" of an edit area (a text box, or a combo box's
// line edit), positions in UTF-16 units as QString counts them, clamped as the classic edit
// control does.

#include <QLineEdit>

#include "controls/qt/members.hpp"

namespace ortiva::qt::detail {

/// Handles the member when it is one of the edit members (result set for a get) and returns
/// true; false for any other member.
bool dispatch_edit(QLineEdit& edit, Access access, std::string_view member, const Args& args,
                   const Variant* value, Variant& result);

/// Replaces the text; the caret goes to the start with nothing selected.
void set_edit_text(QLineEdit& edit, const QString& text);

}  // namespace ortiva::qt::detail
