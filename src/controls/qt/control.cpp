#include "controls/qt/control.hpp"

#include <QObject>
#include <atomic>

namespace ortiva::qt {

using detail::Access;

namespace {

// Window handles are only compared, never used as native handles: creating native windows
// for every control would cost more than it serves.
int32_t next_handle() {
    static std::atomic<int32_t> counter{0x2000};
    return counter.fetch_add(4);
}

enum class M { none, Name, Enabled, Visible, Tag, hwnd, SetFocus };
constexpr detail::Member<M> members[] = {
    {"Name", M::Name}, {"Enabled", M::Enabled}, {"Visible", M::Visible},
    {"Tag", M::Tag},   {"hwnd", M::hwnd},       {"SetFocus", M::SetFocus},
};

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

Control::Control(std::string type, QWidget* widget, bool windowed)
    : type_(std::move(type)),
      widget_(widget),
      hwnd_(windowed ? next_handle() : 0),
      windowed_(windowed) {}

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

Variant Control::dispatch_common(Access access, std::string_view member, const Args& args,
                                 const Variant* value) {
    QWidget* w = widget();
    switch (detail::find_member(members, member, M::none)) {
        case M::Name:
            detail::read_only_property(access, args);
            return detail::from_q(w->objectName());
        case M::Enabled:
            detail::plain_property(args);
            if (access == Access::let) {
                w->setEnabled(detail::bool_value(*value));
                return {};
            }
            return Variant(own_enabled(w));
        case M::Visible:
            detail::plain_property(args);
            if (access == Access::let) {
                const bool shown = detail::bool_value(*value);
                w->setVisible(shown);
                visibility_changed(shown);
                return {};
            }
            return Variant(!own_hidden(w));
        case M::Tag:
            detail::plain_property(args);
            if (access == Access::let) {
                tag_ = detail::qtext(*value).toStdString();
                return {};
            }
            return Variant(tag_);
        case M::hwnd:
            if (!windowed_) detail::no_member();
            detail::read_only_property(access, args);
            return Variant(hwnd_);
        case M::SetFocus:
            if (!windowed_) detail::no_member();
            detail::method(access);
            detail::expect_args(args, 0, 0);
            if (!reachable()) raise(err::invalid_call);
            w->setFocus(Qt::OtherFocusReason);
            return {};
        case M::none:
            break;
    }
    detail::no_member();
}

}  // namespace ortiva::qt
