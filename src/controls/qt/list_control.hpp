#pragma once

// What combo boxes and list boxes share: entries counted from 0 with 32-bit item data in
// Qt::UserRole, "NewIndex" and "ListIndex" (-1 for none). Each widget kind supplies the few
// operations on its entries.

#include <QString>
#include <cstdint>

#include "controls/qt/control.hpp"

namespace ortiva::qt {

class ListControl : public Control {
  public:
    using Control::Control;

  protected:
    virtual int32_t count() const = 0;
    virtual QString entry_text(int32_t i) const = 0;
    virtual void set_entry_text(int32_t i, const QString& text) = 0;
    virtual int32_t entry_data(int32_t i) const = 0;
    virtual void set_entry_data(int32_t i, int32_t data) = 0;
    virtual void insert_entry(int32_t at, const QString& text) = 0;
    virtual void remove_entry(int32_t at) = 0;
    virtual void clear_entries() = 0;
    virtual int32_t current() const = 0;
    /// Selects entry i, or none for -1 (already checked).
    virtual void set_current(int32_t i) = 0;

    /// The list members, then the common ones.
    Variant dispatch_list(detail::Access access, std::string_view member, const Args& args,
                          const Variant* value);
    /// Selects entry index; 380 outside -1..ListCount-1.
    void select(int32_t index);

  private:
    int32_t entry_index(const Variant& v) const;

    int32_t new_index_ = -1;
};

}  // namespace ortiva::qt
