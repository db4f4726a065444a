#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/common/form.hpp"
#include "controls/memory/control.hpp"

namespace ortiva::memory {

/// "Form": a window holding controls in the order they were added; the members are
/// controls::FormCore's.
class Form : public controls::KindControl<Control, controls::FormCore> {
  public:
    explicit Form(std::string name) : KindControl("Form", std::move(name), true) {}

    /// Adds a control at the end; see memory::add_control for the failures.
    void add(const std::shared_ptr<Control>& control);
    const std::vector<std::shared_ptr<Control>>& controls() const { return controls_; }

    void set_active(std::weak_ptr<HostObject> control) { active_ = std::move(control); }
    std::string caption() const override { return caption_; }
    void set_caption(const std::string& text) override { caption_ = text; }
    int32_t control_count() const override { return static_cast<int32_t>(controls_.size()); }
    HostObjectPtr control_at(int32_t i) const override {
        return controls_[static_cast<std::size_t>(i)];
    }
    HostObjectPtr control_named(std::string_view name) const override;
    HostObjectPtr active_control() const override { return active_.lock(); }
    void show_form(bool shown) override { set_control_visible(shown); }

  private:
    std::vector<std::shared_ptr<Control>> controls_;
    std::weak_ptr<HostObject> active_;
    std::string caption_;
};

}  // namespace ortiva::memory
