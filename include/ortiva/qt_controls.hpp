#pragma once

// The Qt 6 Widgets toolkit of the host-control seam. Include this header only from a Qt
// application: it brings in Qt headers, which the rest of Ortiva's public headers never do.

#include <QMessageBox>
#include <QTreeWidget>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"

namespace ortiva::qt {

/// Adapters over real widgets that answer the members, type names and error numbers of the
/// in-memory toolkit (see memory_controls.hpp), so that the library drives them unchanged:
///
///   QComboBox "ComboBox" (item data in Qt::UserRole; adding the first entry does not select
///   it), QListWidget "ListBox", QLineEdit "TextBox" (positions in UTF-16 units), QTreeWidget
///   "ListView" (report view) or "TreeView", QTableWidget "MSFlexGrid", QCheckBox "CheckBox",
///   QLabel "Label", QGroupBox "Frame", a window or a plain QWidget container "Form"; other named
///   widgets answer the common members under their class's name (a QPushButton as
///   "CommandButton").
///
/// An adapter lives as long as its widget (it is kept by a child object of the widget), so
/// wrapping the same widget again gives the same object. A member used after the widget was
/// destroyed fails with 35605. Adapters are used from the GUI thread only.
///
/// "Name" is the widget's objectName. "Visible" is the widget's own flag (a control not
/// explicitly hidden is visible even before its window is shown); "Enabled" likewise.
/// A form's "Controls" are its descendant widgets with an objectName, in child order, not
/// descending into other controls; names starting with "qt_" (Qt's own) are left out.
///
/// Rows that "ListItems"."Add" appends while the list view is hidden through its "Visible"
/// member are handed to the widget in one batch when it is shown or when any other member
/// needs the widget's rows. Adding a row at a position turns the widget's own sorting off
/// (so positions hold); clicking a column header still sorts the rows.

/// Which kind of control a QTreeWidget is.
enum class TreeKind { ListView, TreeView };

/// The adapter of widget, its kind taken from its class (a QTreeWidget not wrapped before is a
/// "ListView"). Fails with 91 for nullptr.
ORTIVA_API HostObjectPtr wrap(QWidget* widget);
/// The adapter of a tree widget as the kind given. Fails with 5 when the widget is already
/// wrapped as the other kind.
ORTIVA_API HostObjectPtr wrap(QTreeWidget* tree, TreeKind kind);

/// Creates a widget of the kind named (case-blind: "TextBox", "ComboBox", "ListBox",
/// "ListView", "TreeView", "MSFlexGrid", "CheckBox", "Label", "Frame", "Form") with the
/// objectName given, under parent, and returns its adapter. A combo box is editable (the
/// classic drop-down combo). Without a parent the caller owns the widget: widget_of(...) and
/// delete it, or give it a parent later. Fails with 5 for an unknown kind.
ORTIVA_API HostObjectPtr create_control(std::string_view kind, std::string_view name,
                                        QWidget* parent = nullptr);

/// The widget behind an adapter of this toolkit; nullptr for other objects or when the widget
/// is gone.
ORTIVA_API QWidget* widget_of(const HostObject& control);

/// Moves a control onto a form (as the last child of the form's widget), keeping its own
/// "Visible". Fails with 13 when either object is not of this toolkit.
ORTIVA_API void add_control(HostObject& form, const HostObjectPtr& control);

/// What a text box or combo box does with a key typed into it: the handler may change the
/// control, and may change key_ascii or set it to 0 to drop the key. Codes are those of the
/// classic KeyPress event: 8 backspace, 13 Enter, 32-255 Windows-1252 characters, higher
/// values UTF-16 characters. Keys without such a code (arrows, function keys) pass untouched.
using KeyPressHandler = std::function<void(HostObject& control, int16_t& key_ascii)>;

/// Installs (nullptr removes) the key-press handler of a text box or combo box, as an event
/// filter on the widget. Fails with 13 for any other object.
ORTIVA_API void set_key_press_handler(HostObject& control, KeyPressHandler handler);

/// Sends a key press with the code to the control's widget, as if typed: the handler runs, and
/// the widget applies the key as the handler left it. Returns that code; a disabled or hidden
/// control receives nothing and 0 is returned. Fails with 13 for objects other than text boxes
/// and combo boxes.
ORTIVA_API int16_t press_key(HostObject& control, int16_t key_ascii);

/// Whether the control's widget is the focus widget of its window.
ORTIVA_API bool has_focus(const HostObject& control);

/// The host run time of a Qt Widgets application: forms are the application's top-level
/// windows with an objectName (sorted by it), message boxes are modal QMessageBoxes,
/// DoEvents processes pending events, mouse pointer 11 sets the wait cursor as the
/// application's override cursor and 0 takes it away, and the combo box's find-first-entry
/// request is QComboBox::findText with Qt::MatchStartsWith (case-blind). Requires a
/// QApplication.
class ORTIVA_API QtRuntime : public HostRuntime {
  public:
    ~QtRuntime() override;

    std::vector<HostObjectPtr> Forms() override;
    int32_t MsgBox(const std::string& prompt, int32_t style, const Variant& title) override;
    void DoEvents() override;
    int32_t MousePointer() const override { return pointer_; }
    void SetMousePointer(int32_t pointer) override;
    int32_t FindFirstEntry(HostObject& combo, std::string_view text) override;

  protected:
    /// Shows the prepared box modally and returns the button pressed. Tests override it to
    /// inspect the box and answer without blocking.
    virtual QMessageBox::StandardButton exec_message_box(QMessageBox& box);

  private:
    int32_t pointer_ = 0;
    bool overriding_ = false;
};

}  // namespace ortiva::qt
