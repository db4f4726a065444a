#pragma once

// Control: what every in-memory control of a form keeps for the shared members.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "controls/common/control.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::memory {

class Form;

class Control : public controls::Control {
  public:
    Control(std::string type, std::string name, bool windowed)
        : controls::Control(std::move(type), windowed), name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    bool visible() const { return visible_; }

    /// The form the control sits on (nullptr for a control on no form).
    std::shared_ptr<Form> form() const { return form_.lock(); }
    void set_form(const std::shared_ptr<Form>& form) { form_ = form; }

    bool has_focus() const;
    /// Whether keys reach the control (enabled and visible, and its form too).
    bool reachable() const override;

  protected:
    std::string control_name() const override { return name_; }
    bool control_enabled() const override { return enabled_; }
    void set_control_enabled(bool on) override { enabled_ = on; }
    bool control_visible() const override { return visible_; }
    void set_control_visible(bool on) override { visible_ = on; }
    void take_focus() override;

  private:
    std::string name_;
    std::weak_ptr<Form> form_;
    bool enabled_ = true;
    bool visible_ = true;
};

}  // namespace ortiva::memory
