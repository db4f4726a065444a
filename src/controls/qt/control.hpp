#pragma once

// The base of every widget adapter: the widget (watched, so that a destroyed one fails with
// 35605), the type name and the members every control has.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "controls/common/control.hpp"
#include "controls/qt/members.hpp"

namespace ortiva::qt {

/// Whether the widget itself is hidden. A window that was never shown counts as visible,
/// so that a form under construction can be driven before it appears.
bool own_hidden(const QWidget* w);

class Control : public controls::Control {
  public:
    /// windowed controls have a window handle and take the focus (a label does not).
    Control(std::string type, QWidget* widget, bool windowed)
        : controls::Control(std::move(type), windowed), widget_(widget) {}

    /// The widget; 35605 once it is gone.
    QWidget* widget() const;
    QWidget* raw_widget() const { return widget_.data(); }
    /// Enabled and not hidden, up to its window.
    bool reachable() const override;
    /// Called while the widget is being destroyed, before the adapter may go with it: from
    /// then on the adapter touches it no more.
    void forget_widget() {
        widget_ = nullptr;
        widget_gone();
    }

  protected:
    std::string control_name() const override { return widget()->objectName().toStdString(); }
    bool control_enabled() const override;
    void set_control_enabled(bool on) override { widget()->setEnabled(on); }
    bool control_visible() const override { return !own_hidden(widget()); }
    void set_control_visible(bool on) override {
        widget()->setVisible(on);
        visibility_changed(on);
    }
    void take_focus() override { widget()->setFocus(Qt::OtherFocusReason); }
    void check_alive() const override { widget(); }
    /// Called after "Visible" changed through the adapter.
    virtual void visibility_changed(bool) {}
    /// Drops the kind's own references to the widget.
    virtual void widget_gone() {}

  private:
    QPointer<QWidget> widget_;
};

/// The adapter kept for a widget (nullptr when it has none yet), and keeping one.
HostObjectPtr adapter_of(const QWidget* widget);
void keep_adapter(QWidget* widget, const HostObjectPtr& adapter);

}  // namespace ortiva::qt
