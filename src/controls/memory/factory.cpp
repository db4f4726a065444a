#include <memory>

#include "controls/common/args.hpp"
#include "controls/memory/caption_controls.hpp"
#include "controls/memory/combo_box.hpp"
#include "controls/memory/flex_grid.hpp"
#include "controls/memory/form.hpp"
#include "controls/memory/list_view.hpp"
#include "controls/memory/text_box.hpp"
#include "controls/memory/tree_view.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva::memory {

const std::vector<std::string>& control_kinds() {
    static const std::vector<std::string> kinds = {
        "TextBox",    "ComboBox", "ListBox", "ListView", "TreeView",
        "MSFlexGrid", "CheckBox", "Label",   "Frame",    "Form",
    };
    return kinds;
}

HostObjectPtr create_control(std::string_view type_name, std::string_view name) {
    using controls::same_name;
    std::string n(name);
    if (same_name(type_name, "TextBox")) return std::make_shared<TextBox>(std::move(n));
    if (same_name(type_name, "ComboBox")) return std::make_shared<ComboBox>(std::move(n));
    if (same_name(type_name, "ListBox"))
        return std::make_shared<ListControl>("ListBox", std::move(n), true);
    if (same_name(type_name, "ListView")) return std::make_shared<ListView>(std::move(n));
    if (same_name(type_name, "TreeView")) return std::make_shared<TreeView>(std::move(n));
    if (same_name(type_name, "MSFlexGrid")) return std::make_shared<FlexGrid>(std::move(n));
    if (same_name(type_name, "CheckBox")) return std::make_shared<CheckBox>(std::move(n));
    if (same_name(type_name, "Label"))
        return std::make_shared<CaptionControl>("Label", std::move(n), false);
    if (same_name(type_name, "Frame"))
        return std::make_shared<CaptionControl>("Frame", std::move(n), true);
    if (same_name(type_name, "Form")) return std::make_shared<Form>(std::move(n));
    raise(err::invalid_call, {}, "No control kind named " + std::string(type_name));
}

void add_control(HostObject& form, const HostObjectPtr& control) {
    auto* owner = dynamic_cast<Form*>(&form);
    auto child = std::dynamic_pointer_cast<Control>(control);
    if (!owner || !child) raise(err::type_mismatch);
    owner->add(child);
}

void set_key_press_handler(HostObject& control, KeyPressHandler handler) {
    controls::object_as<KeyTarget>(control).key_handler = std::move(handler);
}

int16_t press_key(HostObject& control, int16_t key_ascii) {
    KeyTarget& target = controls::object_as<KeyTarget>(control);
    if (!dynamic_cast<Control&>(control).reachable()) return 0;
    // A copy, so that a handler may replace itself while it runs.
    if (KeyPressHandler handler = target.key_handler) handler(control, key_ascii);
    if (key_ascii != 0) target.key_text().apply_key(key_ascii);
    return key_ascii;
}

bool has_focus(const HostObject& control) {
    const auto* c = dynamic_cast<const Control*>(&control);
    return c && c->has_focus();
}

std::vector<TreeNodeInfo> tree_nodes(const HostObject& tree) {
    const TreeView& view = controls::object_as<const TreeView>(tree);
    std::vector<TreeNodeInfo> out;
    out.reserve(static_cast<std::size_t>(view.count()));
    view.walk([&](const Node& n, int depth) {
        out.push_back({n.key(), n.text(), n.parent() ? n.parent()->key() : std::string(), depth});
    });
    return out;
}

}  // namespace ortiva::memory
