#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <cstring>

#include "controls/common/args.hpp"
#include "controls/qt/control.hpp"
#include "controls/qt/key_filter.hpp"
#include "controls/qt/kinds.hpp"
#include "ortiva/qt_controls.hpp"

namespace ortiva::qt {

namespace {

HostObjectPtr make_adapter(QWidget* w) {
    // QCheckBox before QAbstractButton, QTreeWidget defaults to the report view.
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return make_text_box(edit);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return make_combo_box(combo);
    if (auto* list = qobject_cast<QListWidget*>(w)) return make_list_box(list);
    if (auto* tree = qobject_cast<QTreeWidget*>(w)) return make_list_view(tree);
    if (auto* table = qobject_cast<QTableWidget*>(w)) return make_flex_grid(table);
    if (auto* check = qobject_cast<QCheckBox*>(w)) return make_check_box(check);
    if (auto* label = qobject_cast<QLabel*>(w)) return make_label(label);
    if (auto* group = qobject_cast<QGroupBox*>(w)) return make_frame(group);
    if (qobject_cast<QAbstractButton*>(w))
        return std::make_shared<Control>("CommandButton", w, true);
    // A window, or a plain container such as a tab page, holds controls as a form does.
    if (w->isWindow() || std::strcmp(w->metaObject()->className(), "QWidget") == 0)
        return make_form(w);
    // Any other widget has the common members only, under its class name.
    return std::make_shared<Control>(w->metaObject()->className(), w, true);
}

}  // namespace

HostObjectPtr wrap(QWidget* widget) {
    if (!widget) raise(err::object_not_set);
    if (HostObjectPtr existing = adapter_of(widget)) return existing;
    HostObjectPtr adapter = make_adapter(widget);
    keep_adapter(widget, adapter);
    return adapter;
}

HostObjectPtr wrap(QTreeWidget* tree, TreeKind kind) {
    if (!tree) raise(err::object_not_set);
    // A tree widget with no adapter yet is wrapped as a list view unless a tree view is asked.
    if (kind == TreeKind::TreeView && !adapter_of(tree)) keep_adapter(tree, make_tree_view(tree));
    HostObjectPtr adapter = wrap(static_cast<QWidget*>(tree));
    const char* type = kind == TreeKind::ListView ? "ListView" : "TreeView";
    if (adapter->type_name() != type)
        raise(err::invalid_call, {}, "The tree widget is already a " + adapter->type_name());
    return adapter;
}

HostObjectPtr create_control(std::string_view kind, std::string_view name, QWidget* parent) {
    using detail::same_name;
    QWidget* w = nullptr;
    if (same_name(kind, "TextBox")) {
        w = new QLineEdit(parent);
    } else if (same_name(kind, "ComboBox")) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        // The library's type-ahead is the combo's completion; Qt's own would fight it.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        w = combo;
    } else if (same_name(kind, "ListBox")) {
        w = new QListWidget(parent);
    } else if (same_name(kind, "ListView")) {
        auto* tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        w = tree;
    } else if (same_name(kind, "TreeView")) {
        auto* tree = new QTreeWidget(parent);
        tree->setObjectName(detail::to_q(name));
        tree->setHeaderHidden(true);
        return wrap(tree, TreeKind::TreeView);
    } else if (same_name(kind, "MSFlexGrid")) {
        w = new QTableWidget(2, 2, parent);
    } else if (same_name(kind, "CheckBox")) {
        w = new QCheckBox(parent);
    } else if (same_name(kind, "Label")) {
        w = new QLabel(parent);
    } else if (same_name(kind, "Frame")) {
        w = new QGroupBox(parent);
    } else if (same_name(kind, "Form")) {
        // A plain QWidget: wrap() makes it a form.
        w = new QWidget(parent, parent ? Qt::Window : Qt::WindowFlags());
    } else {
        raise(err::invalid_call, {}, "No control kind named " + std::string(kind));
    }
    w->setObjectName(detail::to_q(name));
    return wrap(w);
}

QWidget* widget_of(const HostObject& control) {
    const auto* c = dynamic_cast<const Control*>(&control);
    return c ? c->raw_widget() : nullptr;
}

void add_control(HostObject& form, const HostObjectPtr& control) {
    if (form.type_name() != "Form" || !control) raise(err::type_mismatch);
    QWidget* window = controls::object_as<Control>(form).widget();
    QWidget* w = controls::object_as<Control>(*control).widget();
    if (w == window) raise(err::invalid_call);
    const bool hidden = own_hidden(w);
    w->setParent(window);
    // A reparented widget is hidden until shown; the control keeps its own visibility.
    if (!hidden) w->show();
}

void set_key_press_handler(HostObject& control, KeyPressHandler handler) {
    KeyTarget& target = controls::object_as<KeyTarget>(control);
    target.key_filter(controls::object_as<Control>(control)).set_handler(std::move(handler));
}

int16_t press_key(HostObject& control, int16_t key_ascii) {
    KeyTarget& target = controls::object_as<KeyTarget>(control);
    Control& c = controls::object_as<Control>(control);
    if (!c.reachable()) return 0;
    return target.key_filter(c).press(key_ascii);
}

bool has_focus(const HostObject& control) {
    const QWidget* w = widget_of(control);
    return w && w->window()->focusWidget() == w;
}

}  // namespace ortiva::qt
