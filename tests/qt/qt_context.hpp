#pragma once

// What the Qt suites share: a runtime that answers message boxes itself (after checking what
// would have been shown), and helpers over widgets.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "ortiva/qt_controls.hpp"

namespace ortiva::qt_test {

/// The Qt runtime with the modal loop replaced: each box is recorded as it would have been
/// shown and answered with its default button, so that no test can block.
class AnsweringRuntime : public qt::QtRuntime {
  public:
    struct Shown {
        QString text;
        QString title;
        QMessageBox::Icon icon;
        std::vector<QMessageBox::StandardButton> buttons;
        QMessageBox::StandardButton default_button;
        bool modal;
    };
    std::vector<Shown> shown;
    /// The button to press instead of the default one (NoButton: the default).
    QMessageBox::StandardButton press = QMessageBox::NoButton;

  protected:
    QMessageBox::StandardButton exec_message_box(QMessageBox& box) override {
        Shown s{box.text(), box.windowTitle(),     box.icon(),
                {},         QMessageBox::NoButton, box.windowModality() != Qt::NonModal};
        for (QAbstractButton* b : box.buttons())
            s.buttons.push_back(box.standardButton(b));
        if (QPushButton* d = box.defaultButton()) s.default_button = box.standardButton(d);
        shown.push_back(s);
        return press != QMessageBox::NoButton ? press : s.default_button;
    }
};

/// Sends each character of text to w as a key press without a key code, as typing it would.
inline void type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &key);
    }
}

}  // namespace ortiva::qt_test
