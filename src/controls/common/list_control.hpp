#pragma once

// Combo boxes and list boxes once for both toolkits: entries counted from 0 with 32-bit item
// data, "NewIndex" and "ListIndex" (-1 for none), over the entries a toolkit keeps.

#include <cstdint>
#include <string>

#include "controls/common/control.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::controls {

/// Whether the member is "Text" or the default member (a combo box without an edit area
/// answers it in its own way).
bool is_text_member(const MemberRef& member);

/// "AddItem"(text[, at]), "RemoveItem"(at), "Clear", "ListCount", "List"(i), "ItemData"(i),
/// "NewIndex" and "ListIndex". A position outside the list fails with 381 ("List",
/// "ItemData"), 5 ("AddItem", "RemoveItem") or 380 ("ListIndex"); item data is a 32-bit
/// number (13 for Null or text that is no number, 6 beyond the range). "Text", the default
/// member, is the selected entry's text; setting it selects the first entry of that text,
/// case-blind, and leaves the selection as it is when there is none. A combo box answers
/// "Text" before these.
///
/// The toolkit keeps the entries; callers have checked every position.
class ListMembers {
  public:
    virtual int32_t entry_count() const = 0;
    virtual std::string entry_text(int32_t i) const = 0;
    virtual void set_entry_text(int32_t i, const std::string& text) = 0;
    virtual int32_t entry_data(int32_t i) const = 0;
    virtual void set_entry_data(int32_t i, int32_t data) = 0;
    /// Inserts before entry at (at == entry_count() appends), item data 0; the selected
    /// entry stays selected.
    virtual void insert_entry(int32_t at, const std::string& text) = 0;
    /// Removes entry at; removing the selected entry leaves none selected.
    virtual void remove_entry(int32_t at) = 0;
    virtual void clear_entries() = 0;
    virtual int32_t selected_entry() const = 0;
    /// Selects entry i, or none for -1.
    virtual void select_entry(int32_t i) = 0;

  protected:
    ~ListMembers() = default;
    /// The list members, then the common ones of self.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);
    /// Selects entry index through the checks of "ListIndex" (380 outside -1..ListCount-1).
    void select(int32_t index);

  private:
    int32_t entry_index(const Variant& v) const;

    int32_t new_index_ = -1;
};

}  // namespace ortiva::controls
