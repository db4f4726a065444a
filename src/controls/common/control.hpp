#pragma once

// What every control of a form has, once for both toolkits: "Name" (read only), "Enabled",
// "Visible" and "Tag"; on windowed controls "hwnd" (a number unique in the process) and
// "SetFocus" (5 when the control cannot take the focus). The toolkit keeps the state.

#include <cstdint>
#include <string>

#include "controls/common/dispatch.hpp"

namespace ortiva::controls {

class Control : public Dispatched {
  public:
    /// windowed controls have a window handle and take the focus (a label does not).
    Control(std::string type, bool windowed);

    std::string type_name() const override { return type_; }
    bool windowed() const { return windowed_; }
    int32_t hwnd() const { return hwnd_; }
    /// Whether keys and the focus reach the control: enabled and shown, up to its window.
    virtual bool reachable() const = 0;
    /// 35605 once the toolkit's native part is gone.
    virtual void check_alive() const {}
    /// The members above; 438 for any other. A kind answers its own members first and hands
    /// the rest on to these.
    Variant dispatch_common(Access access, const MemberRef& member, const Args& args,
                            const Variant* value);

  protected:
    /// A kind without members of its own.
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) override {
        return dispatch_common(access, member, args, value);
    }

    virtual std::string control_name() const = 0;
    virtual bool control_enabled() const = 0;
    virtual void set_control_enabled(bool on) = 0;
    virtual bool control_visible() const = 0;
    virtual void set_control_visible(bool on) = 0;
    /// Moves the focus to the control; callers have checked that it is reachable.
    virtual void take_focus() = 0;

  private:
    std::string type_;
    std::string tag_;
    int32_t hwnd_;
    bool windowed_;
};

/// A toolkit's control of one kind: Base is the toolkit's control class, Kind the kind's
/// members (its dispatch_kind), over the storage the toolkit's class supplies.
template <typename Base, typename Kind>
class KindControl : public Dispatching<Base, KindControl<Base, Kind>>, public Kind {
  public:
    using Dispatching<Base, KindControl>::Dispatching;

  protected:
    friend Dispatching<Base, KindControl>;
    Variant dispatch(Access access, const MemberRef& member, const Args& args,
                     const Variant* value) override {
        return Kind::dispatch_kind(*this, access, member, args, value);
    }
};

}  // namespace ortiva::controls
