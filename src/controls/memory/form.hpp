#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/memory/control.hpp"

namespace ortiva::memory {

class FormControls;

/// "Form": a window holding controls. "Controls" lists them from 0 in the order they were
/// added ("Controls"(i), or by name); "Count" is their number; "ActiveControl" the one that
/// last took the focus; "Caption", "Show" and "Hide".
class Form : public Control {
  public:
    explicit Form(std::string name);
    ~Form() override;

    /// Adds a control at the end; see memory::add_control for the failures.
    void add(const std::shared_ptr<Control>& control);
    const std::vector<std::shared_ptr<Control>>& controls() const { return controls_; }
    const std::string& caption() const { return caption_; }

    void set_active(std::weak_ptr<HostObject> control) { active_ = std::move(control); }

  protected:
    Variant dispatch(detail::Access access, std::string_view member, const Args& args,
                     const Variant* value) override;

  private:
    friend class FormControls;
    /// "Controls"(index): a number from 0, or a control's name (730 when no control has it).
    Variant item(const Variant& index) const;

    std::vector<std::shared_ptr<Control>> controls_;
    std::shared_ptr<FormControls> collection_;
    std::weak_ptr<HostObject> active_;
    std::string caption_;
};

}  // namespace ortiva::memory
