#include "controls/memory/form.hpp"

#include "ortiva/error_info.hpp"

namespace ortiva::memory {

void Form::add(const std::shared_ptr<Control>& control) {
    if (!control || control.get() == this) raise(err::invalid_call);
    if (control->form()) {
        raise(err::invalid_call, {}, "Control " + control->name() + " already sits on a form");
    }
    for (const auto& existing : controls_) {
        if (!control->name().empty() && controls::same_name(existing->name(), control->name()))
            raise(err::invalid_call, {}, "A control named " + control->name() + " exists");
    }
    controls_.push_back(control);
    control->set_form(std::static_pointer_cast<Form>(shared_from_this()));
}

HostObjectPtr Form::control_named(std::string_view name) const {
    for (const auto& c : controls_) {
        if (controls::same_name(c->name(), name)) return c;
    }
    return nullptr;
}

}  // namespace ortiva::memory
