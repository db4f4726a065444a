#pragma once

// What combo boxes and list boxes share: item data in Qt::UserRole, the members of
// controls::ListMembers. Each widget kind supplies the operations on its entries.

#include <cstdint>

#include "controls/common/list_control.hpp"
#include "controls/qt/control.hpp"

namespace ortiva::qt {

class ListControl : public Control, protected controls::ListEntries {
  public:
    using Control::Control;

  protected:
    /// The list members, then the common ones.
    Variant dispatch_list(detail::Access access, const detail::MemberRef& member, const Args& args,
                          const Variant* value) {
        if (auto result = members_.dispatch(*this, access, member, args, value))
            return std::move(*result);
        return dispatch_common(access, member, args, value);
    }
    /// Selects entry index; 380 outside -1..ListCount-1.
    void select(int32_t index) { controls::ListMembers::select(*this, index); }

  private:
    controls::ListMembers members_;
};

}  // namespace ortiva::qt
