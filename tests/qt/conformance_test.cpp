// The host-control conformance suites on the Qt toolkit.

#include "conformance/host_controls.hpp"
#include "ortiva/qt_controls.hpp"

namespace ortiva::testing {
namespace {

ToolkitContext qt_context() {
    ToolkitContext c;
    c.name = "Qt";
    c.create = [](const std::string& kind, const std::string& name) {
        return qt::create_control(kind, name);
    };
    c.add_to_form = [](HostObject& form, const HostObjectPtr& control) {
        qt::add_control(form, control);
    };
    c.set_key_handler = [](HostObject& control, qt::KeyPressHandler handler) {
        qt::set_key_press_handler(control, std::move(handler));
    };
    c.press_key = [](HostObject& control, int16_t code) { return qt::press_key(control, code); };
    c.has_focus = [](HostObject& control) { return qt::has_focus(control); };
    c.runtime = [] { return std::make_shared<qt::QtRuntime>(); };
    return c;
}

INSTANTIATE_TEST_SUITE_P(Qt, HostControls, ::testing::Values(qt_context()), ToolkitName{});

}  // namespace
}  // namespace ortiva::testing
