#pragma once

// The collections of the control kinds ("ListItems", "ColumnHeaders", "Nodes", "Controls"):
// "Item" (the default member), "Count", and where the kind has them "Add", "Remove" and
// "Clear". A collection watches its control without owning it and fails with 35605 once the
// control, or its native part, is gone.

#include <cstdint>
#include <memory>

#include "controls/common/control.hpp"

namespace ortiva::controls {

class Collection : public Dispatched {
  public:
    explicit Collection(Control& control)
        : control_(std::static_pointer_cast<Control>(control.shared_from_this())) {}

    /// The control's property that hands the collection out ("Nodes"): read only, and with an
    /// index the item instead.
    Variant hand_out(Access access, const Args& args);

  protected:
    virtual Variant item(const Variant& index) = 0;
    virtual int32_t count() = 0;
    /// The members a collection lacks fail with 438.
    virtual Variant add(const Args&) { no_member(); }
    virtual void remove(const Variant&) { no_member(); }
    virtual void clear() { no_member(); }

    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) final;

    std::weak_ptr<Control> control_;
};

}  // namespace ortiva::controls
