#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QMessageBox>
#include <algorithm>

#include "controls/qt/control.hpp"
#include "ortiva/qt_controls.hpp"

namespace ortiva::qt {

namespace {

// The icon of each style from 0 to 4 (critical, question, exclamation, information).
QMessageBox::Icon icon_of(int32_t style) {
    constexpr QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                           QMessageBox::Question, QMessageBox::Warning,
                                           QMessageBox::Information};
    const int32_t i = (style & 0x70) >> 4;
    return i < 5 ? icons[i] : QMessageBox::NoIcon;
}

struct Button {
    QMessageBox::StandardButton button;
    int32_t answer;
};

// The buttons of each style from vbOKOnly (0) to vbRetryCancel (5), left to right, with the
// answers they give.
std::vector<Button> buttons_of(int32_t style) {
    using B = QMessageBox;
    static const std::vector<Button> styles[] = {
        {{B::Ok, vbOK}},
        {{B::Ok, vbOK}, {B::Cancel, vbCancel}},
        {{B::Abort, vbAbort}, {B::Retry, vbRetry}, {B::Ignore, vbIgnore}},
        {{B::Yes, vbYes}, {B::No, vbNo}, {B::Cancel, vbCancel}},
        {{B::Yes, vbYes}, {B::No, vbNo}},
        {{B::Retry, vbRetry}, {B::Cancel, vbCancel}},
    };
    const int32_t i = style & 7;
    return i <= vbRetryCancel ? styles[i] : styles[vbOKOnly];
}

bool is_form(QWidget* w) {
    if (!w->isWindow() || w->objectName().isEmpty()) return false;
    if (w->objectName().startsWith(QLatin1String("qt_"))) return false;
    const Qt::WindowType type = w->windowType();
    if (type != Qt::Window && type != Qt::Dialog) return false;
    // Message boxes come and go; the application's forms are what it built.
    if (qobject_cast<QMessageBox*>(w)) return false;
    return wrap(w)->type_name() == "Form";
}

}  // namespace

QtRuntime::~QtRuntime() {
    if (overriding_ && QGuiApplication::instance()) QGuiApplication::restoreOverrideCursor();
}

std::vector<HostObjectPtr> QtRuntime::Forms() {
    QWidgetList windows = QApplication::topLevelWidgets();
    // The application's own list is unordered; names give a stable order.
    std::sort(windows.begin(), windows.end(),
              [](const QWidget* a, const QWidget* b) { return a->objectName() < b->objectName(); });
    std::vector<HostObjectPtr> out;
    for (QWidget* w : windows) {
        if (is_form(w)) out.push_back(wrap(w));
    }
    return out;
}

int32_t QtRuntime::MsgBox(const std::string& prompt, int32_t style, const Variant& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(icon_of(style));
    box.setText(QString::fromStdString(prompt));
    box.setWindowTitle(title.is_missing() ? QApplication::applicationDisplayName()
                                          : detail::qtext(title));
    box.setWindowModality(Qt::ApplicationModal);
    const std::vector<Button> buttons = buttons_of(style);
    QMessageBox::StandardButtons all;
    for (const Button& b : buttons)
        all |= b.button;
    box.setStandardButtons(all);
    const std::size_t default_at = (style & 0x300) == vbDefaultButton2   ? 1
                                   : (style & 0x300) == vbDefaultButton3 ? 2
                                                                         : 0;
    box.setDefaultButton(buttons[std::min(default_at, buttons.size() - 1)].button);
    // Closing the box with Escape or its close button is the last button (Cancel, No or OK).
    box.setEscapeButton(buttons.back().button);
    const QMessageBox::StandardButton pressed = exec_message_box(box);
    for (const Button& b : buttons) {
        if (b.button == pressed) return b.answer;
    }
    return buttons.back().answer;
}

QMessageBox::StandardButton QtRuntime::exec_message_box(QMessageBox& box) {
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void QtRuntime::DoEvents() {
    QCoreApplication::processEvents();
}

void QtRuntime::SetMousePointer(int32_t pointer) {
    pointer_ = pointer;
    const bool busy = pointer == vbHourglass;
    if (busy && !overriding_) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        overriding_ = true;
    } else if (!busy && overriding_) {
        QGuiApplication::restoreOverrideCursor();
        overriding_ = false;
    }
}

int32_t QtRuntime::FindFirstEntry(HostObject& combo, std::string_view text) {
    auto* box = qobject_cast<QComboBox*>(widget_of(combo));
    if (!box) return HostRuntime::FindFirstEntry(combo, text);
    // The combo's own search: case-blind, from the top, whatever is selected.
    return box->findText(detail::to_q(text), Qt::MatchStartsWith);
}

}  // namespace ortiva::qt
