#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <vector>

#include "controls/common/form.hpp"
#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"
#include "ortiva/qt_controls.hpp"

namespace ortiva::qt {

namespace {

// Widgets whose children are their own parts, never controls of the form.
bool is_leaf(const QWidget* w) {
    return qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
           qobject_cast<const QTabBar*>(w) || qobject_cast<const QAbstractSlider*>(w);
}

// The named widgets under parent, in child order; separate windows (dialogs the form owns)
// and Qt's own parts are not its controls.
void collect(const QWidget* parent, std::vector<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) continue;
        const QString name = w->objectName();
        // Qt's own containers (a tab widget's stack) are not controls, but hold them.
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) out.push_back(w);
        if (!is_leaf(w)) collect(w, out);
    }
}

// "Form" over a window (or any widget holding controls); the members are controls::FormCore's.
class Form : public controls::KindControl<Control, controls::FormCore> {
  public:
    explicit Form(QWidget* window) : KindControl("Form", window, true) {}

    std::string caption() const override { return widget()->windowTitle().toStdString(); }
    void set_caption(const std::string& text) override {
        widget()->setWindowTitle(detail::to_q(text));
    }
    int32_t control_count() const override { return static_cast<int32_t>(controls().size()); }
    HostObjectPtr control_at(int32_t i) const override {
        return wrap(controls()[static_cast<std::size_t>(i)]);
    }
    HostObjectPtr control_named(std::string_view name) const override {
        for (QWidget* w : controls()) {
            if (detail::same_name(w->objectName().toStdString(), name)) return wrap(w);
        }
        return nullptr;
    }
    HostObjectPtr active_control() const override {
        QWidget* focus = widget()->focusWidget();
        return !focus || focus == widget() ? nullptr : wrap(focus);
    }
    void show_form(bool shown) override { widget()->setVisible(shown); }

  private:
    std::vector<QWidget*> controls() const {
        std::vector<QWidget*> out;
        collect(widget(), out);
        return out;
    }
};

}  // namespace

HostObjectPtr make_form(QWidget* window) {
    return std::make_shared<Form>(window);
}

}  // namespace ortiva::qt
