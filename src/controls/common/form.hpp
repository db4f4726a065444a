#pragma once

// "Form" once for both toolkits: "Controls" from 0 or by name (the default member), "Count",
// "Caption", "ActiveControl", "Show" and "Hide", over the controls a toolkit keeps.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "controls/common/caption_controls.hpp"
#include "controls/common/control.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::controls {

class Collection;

class FormCore : public Captioned {
  public:
    virtual int32_t control_count() const = 0;
    /// Control i from 0 (in range).
    virtual HostObjectPtr control_at(int32_t i) const = 0;
    /// The control of that name (case-blind), or nullptr.
    virtual HostObjectPtr control_named(std::string_view name) const = 0;
    /// The control that last took the focus, or nullptr.
    virtual HostObjectPtr active_control() const = 0;
    virtual void show_form(bool shown) = 0;

    /// "Controls"(index): a number from 0 (9 outside), or a control's name (730 when no
    /// control has it).
    Variant item(const Variant& index) const;

  protected:
    ~FormCore() = default;

    /// The form's members, then the common ones. self is the form control.
    Variant dispatch_kind(Control& self, Access access, const MemberRef& member, const Args& args,
                          const Variant* value);

  private:
    std::shared_ptr<Collection> collection_;  // made on first use: it watches the form
};

}  // namespace ortiva::controls
