#include "controls/qt/control.hpp"

#include <QObject>

namespace ortiva::qt {

namespace {

bool own_enabled(const QWidget* w) {
    return w->parentWidget() ? w->isEnabledTo(w->parentWidget()) : w->isEnabled();
}

// Holds the adapter as a child of its widget, so that both go together.
class AdapterHolder : public QObject {
  public:
    AdapterHolder(QWidget* widget, HostObjectPtr adapter)
        : QObject(widget), adapter_(std::move(adapter)) {
        setObjectName(QStringLiteral("qt_ortiva_adapter"));
    }
    // Runs inside the widget's destructor, where a watching QPointer is not yet cleared.
    ~AdapterHolder() override {
        if (auto* control = dynamic_cast<Control*>(adapter_.get())) control->forget_widget();
    }
    const HostObjectPtr& adapter() const { return adapter_; }

  private:
    HostObjectPtr adapter_;
};

}  // namespace

bool own_hidden(const QWidget* w) {
    if (w->isWindow()) return w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
    return w->isHidden();
}

HostObjectPtr adapter_of(const QWidget* widget) {
    for (QObject* child : widget->children()) {
        if (auto* holder = dynamic_cast<AdapterHolder*>(child)) return holder->adapter();
    }
    return nullptr;
}

void keep_adapter(QWidget* widget, const HostObjectPtr& adapter) {
    new AdapterHolder(widget, adapter);
}

QWidget* Control::widget() const {
    if (!widget_) detail::removed();
    return widget_.data();
}

bool Control::reachable() const {
    const QWidget* w = widget();
    if (!w->isEnabled()) return false;
    for (; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (own_hidden(w)) return false;
    }
    return true;
}

bool Control::control_enabled() const {
    return own_enabled(widget());
}

}  // namespace ortiva::qt
