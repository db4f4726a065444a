// The host-control conformance suites on the in-memory toolkit.

#include "conformance/host_controls.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva::testing {
namespace {

ToolkitContext memory_context() {
    ToolkitContext c;
    c.name = "Memory";
    c.create = [](const std::string& kind, const std::string& name) {
        return memory::create_control(kind, name);
    };
    c.add_to_form = [](HostObject& form, const HostObjectPtr& control) {
        memory::add_control(form, control);
    };
    c.set_key_handler = [](HostObject& control, memory::KeyPressHandler handler) {
        memory::set_key_press_handler(control, std::move(handler));
    };
    c.press_key = [](HostObject& control, int16_t code) {
        return memory::press_key(control, code);
    };
    c.has_focus = [](HostObject& control) { return memory::has_focus(control); };
    c.runtime = [] { return std::make_shared<HeadlessRuntime>(); };
    return c;
}

INSTANTIATE_TEST_SUITE_P(Memory, HostControls, ::testing::Values(memory_context()), ToolkitName{});

}  // namespace
}  // namespace ortiva::testing
