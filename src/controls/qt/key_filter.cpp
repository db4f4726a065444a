#include "controls/qt/key_filter.hpp"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QtGlobal>
#include <utility>

#include "ortiva/text.hpp"

namespace ortiva::qt {

namespace {

// The keys whose codes are control characters.
struct Special {
    int16_t code;
    Qt::Key key;
    const char* text;
};
constexpr Special specials[] = {
    {8, Qt::Key_Backspace, "\b"},
    {13, Qt::Key_Return, "\r"},
    {27, Qt::Key_Escape, "\x1b"},
};

}  // namespace

int16_t key_code(const QKeyEvent& event) {
    const int key = event.key() == Qt::Key_Enter ? Qt::Key_Return : event.key();
    for (const Special& s : specials) {
        if (s.key == key) return s.code;
    }
    const QString typed = event.text();
    if (typed.size() != 1) return 0;
    const char16_t c = typed.front().unicode();
    if (c < 32 || c == 127) return 0;
    if (c < 128) return static_cast<int16_t>(c);
    const uint8_t code = text::cp1252_code(c);
    // Characters outside the code page travel as their UTF-16 unit.
    if (code != '?') return static_cast<int16_t>(code);
    return static_cast<int16_t>(c);
}

namespace {

QKeyEvent key_event(int16_t code) {
    for (const Special& s : specials) {
        if (s.code == code) return QKeyEvent(QEvent::KeyPress, s.key, Qt::NoModifier, s.text);
    }
    const auto unit = static_cast<uint16_t>(code);
    const char16_t c = unit <= 255
                           ? static_cast<char16_t>(text::cp1252_char(static_cast<uint8_t>(unit)))
                           : static_cast<char16_t>(unit);
    const QChar ch(c);
    const int key = ch.isLetterOrNumber() && c < 128 ? static_cast<int>(ch.toUpper().unicode())
                                                     : static_cast<int>(Qt::Key_unknown);
    return QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
}

}  // namespace

KeyFilter::KeyFilter(QWidget* widget, std::weak_ptr<HostObject> control)
    : QObject(widget), widget_(widget), control_(std::move(control)) {
    setObjectName(QStringLiteral("qt_ortiva_keys"));
    widget->installEventFilter(this);
}

void KeyFilter::send(int16_t code, bool& sending) {
    QKeyEvent event = key_event(code);
    sending = true;
    QCoreApplication::sendEvent(widget_, &event);
    sending = false;
}

int16_t KeyFilter::press(int16_t code) {
    if (!widget_) return 0;
    last_ = code;
    send(code, pressing_);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return last_;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (forwarding_ || watched != widget_ || event->type() != QEvent::KeyPress) return false;
    const int16_t typed = key_code(static_cast<QKeyEvent&>(*event));
    last_ = typed;
    if (typed == 0 || !handler_) return false;
    auto control = control_.lock();
    if (!control) return false;
    int16_t code = typed;
    // A copy, so that a handler may replace itself while it runs.
    KeyPressHandler handler = handler_;
    // Exceptions must not cross Qt's event dispatch: a failing handler drops the key, and the
    // failure reaches press_key's caller, or the log when a user typed the key.
    try {
        handler(*control, code);
    } catch (...) {
        last_ = 0;
        if (pressing_) {
            failure_ = std::current_exception();
        } else {
            qWarning("Ortiva: a key-press handler failed; the key was dropped");
        }
        return true;
    }
    last_ = code;
    if (code == typed) return false;
    // The changed key goes to the widget past the handler.
    if (code != 0 && widget_) send(code, forwarding_);
    return true;
}

}  // namespace ortiva::qt
