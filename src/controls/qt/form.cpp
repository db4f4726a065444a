#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <vector>

#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"
#include "ortiva/qt_controls.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

enum class M { none, Controls, Count, Caption, ActiveControl, Show, Hide };
constexpr detail::Member<M> members[] = {
    {"", M::Controls},       {"Controls", M::Controls},           {"Count", M::Count},
    {"Caption", M::Caption}, {"ActiveControl", M::ActiveControl}, {"Show", M::Show},
    {"Hide", M::Hide},
};

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

class Form;

class FormControls : public detail::Dispatched {
  public:
    explicit FormControls(const std::shared_ptr<Form>& form) : owner_(form), form_(form.get()) {}
    std::string type_name() const override { return "Controls"; }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant*) override;

  private:
    std::weak_ptr<Form> owner_;
    Form* form_;
};

// "Form" over a window (or any widget holding controls): "Controls" from 0 or by name.
class Form : public Control {
  public:
    explicit Form(QWidget* window) : Control("Form", window, true) {}

    std::vector<QWidget*> controls() const {
        std::vector<QWidget*> out;
        collect(widget(), out);
        return out;
    }

    Variant item(const Variant& index) const {
        const std::vector<QWidget*> all = controls();
        if (index.is_string()) {
            const std::string& wanted = index.str();
            for (QWidget* w : all) {
                if (detail::same_name(w->objectName().toStdString(), wanted))
                    return detail::object_variant(wrap(w));
            }
            raise(730, {}, "Control '" + wanted + "' not found");
        }
        const int32_t i = detail::int_value(index);
        if (i < 0 || i >= static_cast<int32_t>(all.size())) raise(err::subscript);
        return detail::object_variant(wrap(all[static_cast<std::size_t>(i)]));
    }

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        QWidget* w = widget();
        const M id = detail::find_member(members, member, M::none);
        switch (id) {
            case M::Controls:
                if (access == Access::let) detail::read_only();
                detail::expect_args(args, 0, 1);
                if (args.empty()) {
                    if (!collection_)
                        collection_ = std::make_shared<FormControls>(
                            std::static_pointer_cast<Form>(shared_from_this()));
                    return detail::object_variant(collection_);
                }
                return item(args[0]);
            case M::Count:
                detail::read_only_property(access, args);
                return Variant(static_cast<int32_t>(controls().size()));
            case M::Caption:
                detail::plain_property(args);
                if (access == Access::let) {
                    w->setWindowTitle(detail::qtext(*value));
                    return {};
                }
                return detail::from_q(w->windowTitle());
            case M::ActiveControl: {
                detail::read_only_property(access, args);
                QWidget* focus = w->focusWidget();
                if (!focus || focus == w) return detail::nothing();
                return detail::object_variant(wrap(focus));
            }
            case M::Show:
            case M::Hide:
                detail::method(access);
                detail::expect_args(args, 0, 1);
                w->setVisible(id == M::Show);
                return {};
            case M::none:
                break;
        }
        return dispatch_common(access, member, args, value);
    }

  private:
    std::shared_ptr<FormControls> collection_;
};

Variant FormControls::dispatch(Access access, std::string_view member, const Args& args,
                               const Variant*) {
    const auto keep = owner_.lock();
    if (!keep) detail::removed();
    if (member.empty() || detail::same_name(member, "Item")) {
        if (access == Access::let) detail::read_only();
        detail::expect_args(args, 1, 1);
        return form_->item(args[0]);
    }
    if (detail::same_name(member, "Count")) {
        detail::read_only_property(access, args);
        return Variant(static_cast<int32_t>(form_->controls().size()));
    }
    detail::no_member();
}

}  // namespace

HostObjectPtr make_form(QWidget* window) {
    return std::make_shared<Form>(window);
}

}  // namespace ortiva::qt
