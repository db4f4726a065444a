#pragma once

// What combo boxes and list boxes share: the entries with their item data, the new index and
// the selected entry, all counted from 0.

#include <cstdint>
#include <string>
#include <vector>

#include "controls/memory/control.hpp"

namespace ortiva::memory {

class ListControl : public Control {
  public:
    struct Entry {
        std::string text;
        int32_t data = 0;
    };

    using Control::Control;

    const std::vector<Entry>& entries() const { return entries_; }
    int32_t list_index() const { return list_index_; }
    int32_t new_index() const { return new_index_; }

  protected:
    /// The entry members, then the common ones.
    Variant dispatch_list(detail::Access access, std::string_view member, const Args& args,
                          const Variant* value);
    /// Selects entry index (-1 for none); fails with 380 outside -1..ListCount-1.
    void select(int32_t index);
    /// Called after the selected entry changed through ListIndex or Clear.
    virtual void selection_changed() {}
    /// Called after Clear emptied the list.
    virtual void cleared() {}

  private:
    int32_t entry_index(const Variant& v) const;

    std::vector<Entry> entries_;
    int32_t list_index_ = -1;
    int32_t new_index_ = -1;
};

}  // namespace ortiva::memory
