#pragma once

// The simple controls once for both toolkits: a check box with its three-state "Value" (the
// default property: 0 unchecked, 1 checked, 2 grayed, any other value fails with 380) and its
// "Caption"; the label and frame, whose "Caption" is the default property.

#include <cstdint>
#include <string>

#include "controls/common/control.hpp"

namespace ortiva::controls {

class Captioned {
  public:
    virtual std::string caption() const = 0;
    virtual void set_caption(const std::string& text) = 0;

  protected:
    ~Captioned() = default;
    /// "Caption", then the common members of self.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);
};

/// A check box's state as a toolkit keeps it: 0, 1 or 2.
class Checkable : public Captioned {
  public:
    virtual int32_t check_value() const = 0;
    virtual void set_check_value(int32_t v) = 0;

  protected:
    ~Checkable() = default;
    /// "Value" and "Caption", then the common members of self.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);
};

}  // namespace ortiva::controls
