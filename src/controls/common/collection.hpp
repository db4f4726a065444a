#pragma once

// The collections of the control kinds ("ListItems", "ColumnHeaders", "Nodes", "Controls"):
// "Item" (the default member), "Count", and where the kind has them "Add", "Remove" and
// "Clear". A collection watches its control without owning it and fails with 35605 once the
// control is gone.

#include <cstdint>
#include <memory>
#include <string_view>

#include "controls/common/dispatch.hpp"

namespace ortiva::controls {

class Collection : public Dispatched {
  public:
    explicit Collection(const std::shared_ptr<HostObject>& control) : control_(control) {}

  protected:
    virtual Variant item(const Variant& index) = 0;
    virtual int32_t count() = 0;
    /// The members a collection lacks fail with 438.
    virtual Variant add(const Args&) { no_member(); }
    virtual void remove(const Variant&) { no_member(); }
    virtual void clear() { no_member(); }
    /// 35605 once the control's native part is gone.
    virtual void check_alive() const {}

    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) final;

    std::weak_ptr<HostObject> control_;
};

}  // namespace ortiva::controls
