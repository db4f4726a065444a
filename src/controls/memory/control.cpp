#include "controls/memory/control.hpp"

#include "controls/memory/form.hpp"

namespace ortiva::memory {

namespace {

// One control of the process holds the keyboard focus, as on a screen.
std::weak_ptr<HostObject>& focused() {
    static std::weak_ptr<HostObject> control;
    return control;
}

}  // namespace

bool Control::has_focus() const {
    return focused().lock().get() == this;
}

bool Control::reachable() const {
    if (!enabled_ || !visible_) return false;
    const auto owner = form();
    return !owner || owner.get() == this || owner->reachable();
}

void Control::take_focus() {
    focused() = weak_from_this();
    if (const auto owner = form()) owner->set_active(weak_from_this());
}

}  // namespace ortiva::memory
