#pragma once

// Control: what every in-memory control of a form has, over the shared dispatch base.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "controls/memory/members.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::memory {

class Form;

using detail::Dispatched;

class Control : public Dispatched {
  public:
    /// windowed controls have a window handle and can take the focus (a label cannot).
    Control(std::string type, std::string name, bool windowed);

    std::string type_name() const override { return type_; }
    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }
    bool windowed() const { return windowed_; }
    int32_t hwnd() const { return hwnd_; }

    /// The form the control sits on (nullptr for a control on no form).
    std::shared_ptr<Form> form() const;
    void set_form(const std::shared_ptr<Form>& form);

    bool has_focus() const;
    /// SetFocus: fails with 5 when the control, or its form, is disabled or hidden.
    void set_focus();
    /// Whether keys reach the control (enabled and visible, and its form too).
    bool reachable() const;

  protected:
    /// Name, Enabled, Visible and Tag; hwnd and SetFocus on windowed controls. Falls back to
    /// 438 for any other member.
    Variant dispatch_common(detail::Access access, std::string_view member, const Args& args,
                            const Variant* value);

  private:
    std::string type_;
    std::string name_;
    std::string tag_;
    std::weak_ptr<Form> form_;
    int32_t hwnd_ = 0;
    bool windowed_;
    bool enabled_ = true;
    bool visible_ = true;
};

}  // namespace ortiva::memory
