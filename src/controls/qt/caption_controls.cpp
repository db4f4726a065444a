#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

enum class M { none, Value, Caption };
constexpr detail::Member<M> members[] = {
    {"", M::Value},
    {"Value", M::Value},
    {"Caption", M::Caption},
};

// "CheckBox" over a QCheckBox: "Value" 0 unchecked, 1 checked, 2 grayed; any other fails with
// 380.
class CheckBox : public Control {
  public:
    explicit CheckBox(QCheckBox* check) : Control("CheckBox", check, true), check_(check) {}

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        widget();
        switch (detail::find_member(members, member, M::none)) {
            case M::Value: {
                detail::plain_property(args);
                if (access == Access::let) {
                    const int32_t v = detail::int_value(*value);
                    if (v < 0 || v > 2) detail::invalid_value();
                    if (v == 2) check_->setTristate(true);
                    check_->setCheckState(v == 0   ? Qt::Unchecked
                                          : v == 1 ? Qt::Checked
                                                   : Qt::PartiallyChecked);
                    return {};
                }
                const Qt::CheckState state = check_->checkState();
                return Variant(static_cast<int16_t>(state == Qt::Unchecked ? 0
                                                    : state == Qt::Checked ? 1
                                                                           : 2));
            }
            case M::Caption:
                detail::plain_property(args);
                if (access == Access::let) {
                    check_->setText(detail::qtext(*value));
                    return {};
                }
                return detail::from_q(check_->text());
            case M::none:
                break;
        }
        return dispatch_common(access, member, args, value);
    }

  private:
    QPointer<QCheckBox> check_;
};

// "Label" (no window handle, no focus) and "Frame": "Caption", the default property.
template <typename Widget>
class CaptionControl : public Control {
  public:
    CaptionControl(std::string type, Widget* widget, bool windowed)
        : Control(std::move(type), widget, windowed), widget_(widget) {}

  protected:
    Variant dispatch(Access access, std::string_view member, const Args& args,
                     const Variant* value) override {
        widget();
        if (member.empty() || detail::same_name(member, "Caption")) {
            detail::plain_property(args);
            if (access == Access::let) {
                set_caption(*widget_, detail::qtext(*value));
                return {};
            }
            return detail::from_q(caption(*widget_));
        }
        return dispatch_common(access, member, args, value);
    }

  private:
    static QString caption(const QLabel& l) { return l.text(); }
    static QString caption(const QGroupBox& g) { return g.title(); }
    static void set_caption(QLabel& l, const QString& t) { l.setText(t); }
    static void set_caption(QGroupBox& g, const QString& t) { g.setTitle(t); }

    QPointer<Widget> widget_;
};

}  // namespace

HostObjectPtr make_check_box(QCheckBox* check) {
    return std::make_shared<CheckBox>(check);
}

HostObjectPtr make_label(QLabel* label) {
    return std::make_shared<CaptionControl<QLabel>>("Label", label, false);
}

HostObjectPtr make_frame(QGroupBox* group) {
    return std::make_shared<CaptionControl<QGroupBox>>("Frame", group, true);
}

HostObjectPtr make_plain(QWidget* widget, std::string type) {
    return std::make_shared<PlainControl>(std::move(type), widget, true);
}

}  // namespace ortiva::qt
