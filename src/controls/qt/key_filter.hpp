#pragma once

// The key-press hook of text boxes and combo boxes: an event filter on the widget that turns a
// typed key into its classic code, lets the host's handler see (and change or drop) it, and
// hands the widget the key as the handler left it.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <exception>
#include <memory>

#include "controls/qt/control.hpp"
#include "ortiva/qt_controls.hpp"

class QKeyEvent;

namespace ortiva::qt {

/// The classic code of a key press: 8, 13, 27 or the character; 0 for keys without one.
int16_t key_code(const QKeyEvent& event);

class KeyFilter : public QObject {
  public:
    /// control is the adapter the handler receives; the filter does not keep it alive.
    KeyFilter(QWidget* widget, std::weak_ptr<HostObject> control);

    void set_handler(KeyPressHandler handler) { handler_ = std::move(handler); }
    /// Sends the key to the widget through the filter; returns the code the handler left.
    int16_t press(int16_t code);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    /// Sends code to the widget as a key event, with sending set meanwhile.
    void send(int16_t code, bool& sending);

    QPointer<QWidget> widget_;
    std::weak_ptr<HostObject> control_;
    KeyPressHandler handler_;
    std::exception_ptr failure_;
    int16_t last_ = 0;
    bool forwarding_ = false;
    bool pressing_ = false;
};

/// Text boxes and combo boxes: the controls with a key-press hook.
class KeyTarget {
  public:
    virtual ~KeyTarget() = default;
    /// The filter on the control's widget, installed on first use.
    KeyFilter& key_filter(Control& control) {
        if (!filter_) filter_ = new KeyFilter(control.widget(), control.weak_from_this());
        return *filter_;
    }

  private:
    QPointer<KeyFilter> filter_;
};

}  // namespace ortiva::qt
