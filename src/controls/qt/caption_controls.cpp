#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "controls/common/caption_controls.hpp"
#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

namespace {

// "CheckBox" over a QCheckBox: "Value" 0 unchecked, 1 checked, 2 grayed.
class CheckBox : public controls::KindControl<Control, controls::Checkable> {
  public:
    explicit CheckBox(QCheckBox* check) : KindControl("CheckBox", check, true), check_(check) {}

    int32_t check_value() const override {
        const Qt::CheckState state = check_->checkState();
        return state == Qt::Unchecked ? 0 : state == Qt::Checked ? 1 : 2;
    }
    void set_check_value(int32_t v) override {
        if (v == 2) check_->setTristate(true);
        check_->setCheckState(v == 0 ? Qt::Unchecked : v == 1 ? Qt::Checked : Qt::PartiallyChecked);
    }
    std::string caption() const override { return check_->text().toStdString(); }
    void set_caption(const std::string& text) override { check_->setText(detail::to_q(text)); }

  private:
    QPointer<QCheckBox> check_;
};

// "Label" (no window handle, no focus) and "Frame": "Caption", the default property.
template <typename Widget>
class CaptionControl : public controls::KindControl<Control, controls::Captioned> {
  public:
    CaptionControl(std::string type, Widget* widget, bool windowed)
        : KindControl(std::move(type), widget, windowed), widget_(widget) {}

    std::string caption() const override { return text_of(*widget_).toStdString(); }
    void set_caption(const std::string& text) override { set_text(*widget_, detail::to_q(text)); }

  private:
    static QString text_of(const QLabel& l) { return l.text(); }
    static QString text_of(const QGroupBox& g) { return g.title(); }
    static void set_text(QLabel& l, const QString& t) { l.setText(t); }
    static void set_text(QGroupBox& g, const QString& t) { g.setTitle(t); }

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

}  // namespace ortiva::qt
