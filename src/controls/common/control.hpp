#pragma once

// What every control of a form has, once for both toolkits: "Name" (read only), "Enabled",
// "Visible" and "Tag"; on windowed controls "hwnd" (a number unique in the process) and
// "SetFocus" (5 when the control cannot take the focus). The toolkit keeps the state.

#include <cstdint>
#include <string>
#include <string_view>

#include "seams/common/member_dispatch.hpp"

namespace ortiva::controls {

class Control : public member_dispatch::Dispatched {
  public:
    /// windowed controls have a window handle and take the focus (a label does not).
    Control(std::string type, bool windowed);

    std::string type_name() const override { return type_; }
    bool windowed() const { return windowed_; }
    int32_t hwnd() const { return hwnd_; }
    /// Whether keys and the focus reach the control: enabled and shown, up to its window.
    virtual bool reachable() const = 0;

  protected:
    /// The members above; 438 for any other.
    Variant dispatch_common(member_dispatch::Access access,
                            const member_dispatch::MemberRef& member, const Args& args,
                            const Variant* value);

    virtual std::string control_name() const = 0;
    virtual bool control_enabled() const = 0;
    virtual void set_control_enabled(bool on) = 0;
    virtual bool control_visible() const = 0;
    virtual void set_control_visible(bool on) = 0;
    /// Moves the focus to the control; callers have checked that it is reachable.
    virtual void take_focus() = 0;
    /// 35605 once the toolkit's native part is gone.
    virtual void check_alive() const {}

  private:
    std::string type_;
    std::string tag_;
    int32_t hwnd_;
    bool windowed_;
};

}  // namespace ortiva::controls
