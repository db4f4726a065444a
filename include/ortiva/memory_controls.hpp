#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"

namespace ortiva::memory {

/// The in-memory toolkit: headless controls with the behaviour of the classic ones, driven
/// through HostObject by member name. Used by tests, the command line and any host without a
/// screen. Objects are not thread-safe; use them from one thread.
///
/// Control kinds, by type name: "TextBox", "ComboBox", "ListBox", "ListView", "TreeView",
/// "MSFlexGrid", "CheckBox", "Label", "Frame", "Form". Every control answers "Name" (read
/// only), "Enabled", "Visible" and "Tag"; all but labels also "hwnd" (a number unique in the
/// process) and "SetFocus" (error 5 when the control or its form is disabled or hidden).
/// A text handed to a control as Null fails with 94, as assigning Null to a String does.

/// Creates a control of the kind named (case-blind) with the given name. Fails with 5 for a
/// kind the toolkit does not have.
ORTIVA_API HostObjectPtr create_control(std::string_view type_name, std::string_view name = {});

/// The kinds create_control makes, in a fixed order.
ORTIVA_API const std::vector<std::string>& control_kinds();

/// Puts a control on a form of this toolkit: it becomes the last of the form's "Controls".
/// Fails with 13 when either object is not of this toolkit, with 5 when the control already
/// sits on a form or the form already holds a control of that name (compared case-blind).
ORTIVA_API void add_control(HostObject& form, const HostObjectPtr& control);

/// What a text box or combo box does when a key is pressed on it: the handler may change the
/// control and may set key_ascii to 0 to drop the key.
using KeyPressHandler = std::function<void(HostObject& control, int16_t& key_ascii)>;

/// Installs (or with nullptr removes) the key-press handler of a text box or combo box; fails
/// with 13 for any other object.
ORTIVA_API void set_key_press_handler(HostObject& control, KeyPressHandler handler);

/// Presses a key on a text box or combo box: the handler runs first, and the key is applied
/// to the text (replacing the selection, backspace deleting) only when the code comes back
/// non-zero. Returns the code as the handler left it; a disabled or hidden control (or one on
/// a disabled or hidden form) receives no key and 0 is returned. Fails with 13 for any other
/// object.
ORTIVA_API int16_t press_key(HostObject& control, int16_t key_ascii);

/// Whether the control holds the keyboard focus (one control of the process does at a time).
ORTIVA_API bool has_focus(const HostObject& control);

/// A tree view's node as tests and printing read it.
struct ORTIVA_API TreeNodeInfo {
    /// The node's key.
    std::string key;
    /// The text shown.
    std::string text;
    std::string parent_key;  ///< The parent's key, "" for a top-level node
    int depth = 0;           ///< Nesting level, 0 for a top-level node
};

/// The nodes of a tree view in display order (each node followed by its children). Fails with
/// 13 for any other object.
ORTIVA_API std::vector<TreeNodeInfo> tree_nodes(const HostObject& tree);

/// The control in a readable text form, for the command line and for failing tests: a list
/// view as an aligned table under its column headers with the selected row marked, a tree
/// view as an indented tree with keys, a grid as a table, a combo or list box as its entries
/// with item data and the selection marked, a form with all its controls. Objects of other
/// toolkits print as their type name.
ORTIVA_API std::string render(const HostObject& object);

}  // namespace ortiva::memory
