#pragma once

// The members of an edit area, once for both toolkits: "Text" (and the default property),
// "SelStart", "SelLength" and "SelText", positions in UTF-16 units and clamped as the classic
// edit control does. Text boxes and combo boxes share them.

#include <cstdint>
#include <optional>
#include <string>

#include "controls/common/dispatch.hpp"

namespace ortiva::controls {

class EditArea {
  public:
    virtual std::string edit_text() const = 0;
    /// Replaces the text; the caret goes to the start with nothing selected.
    virtual void set_edit_text(const std::string& text) = 0;
    virtual int32_t edit_length() const = 0;
    virtual int32_t sel_start() const = 0;
    virtual int32_t sel_length() const = 0;
    /// Selects length units from start (0: the caret at start); both are within the text.
    virtual void set_selection(int32_t start, int32_t length) = 0;
    virtual std::string sel_text() const = 0;
    /// Replaces the selection (or inserts at the caret); the caret ends after the new text.
    virtual void replace_selection(const std::string& with) = 0;

  protected:
    ~EditArea() = default;
};

/// The member's result, or nullopt for a member that is not an edit member. A negative
/// "SelStart" or "SelLength" fails with 380; beyond the text they stop at its end.
std::optional<Variant> dispatch_edit(EditArea& edit, Access access, const MemberRef& member,
                                     const Args& args, const Variant* value);

}  // namespace ortiva::controls
