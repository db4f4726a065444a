#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/common/form.hpp"
#include "controls/memory/caption_controls.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::memory {

/// "Form": a window holding controls in the order they were added; the members are
/// controls::FormCore's.
class Form : public WithCaption<controls::FormCore> {
  public:
    explicit Form(std::string name) : WithCaption("Form", std::move(name), true) {}

    /// Adds a control at the end; see memory::add_control for the failures.
    void add(const std::shared_ptr<Control>& control) {
        if (!control || control.get() == this) raise(err::invalid_call);
        if (control->form())
            raise(err::invalid_call, {}, "Control " + control->name() + " already sits on a form");
        for (const auto& existing : controls_) {
            if (!control->name().empty() && controls::same_name(existing->name(), control->name()))
                raise(err::invalid_call, {}, "A control named " + control->name() + " exists");
        }
        controls_.push_back(control);
        control->set_form(std::static_pointer_cast<Form>(shared_from_this()));
    }
    const std::vector<std::shared_ptr<Control>>& controls() const { return controls_; }

    void set_active(std::weak_ptr<HostObject> control) { active_ = std::move(control); }
    int32_t control_count() const override { return static_cast<int32_t>(controls_.size()); }
    HostObjectPtr control_at(int32_t i) const override {
        return controls_[static_cast<std::size_t>(i)];
    }
    HostObjectPtr control_named(std::string_view name) const override {
        for (const auto& c : controls_) {
            if (controls::same_name(c->name(), name)) return c;
        }
        return nullptr;
    }
    HostObjectPtr active_control() const override { return active_.lock(); }
    void show_form(bool shown) override { set_control_visible(shown); }

  private:
    std::vector<std::shared_ptr<Control>> controls_;
    std::weak_ptr<HostObject> active_;
};

}  // namespace ortiva::memory
