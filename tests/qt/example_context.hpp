#pragma once

// What the items example's tests share: prompts answered from a script, a temporary folder,
// and a window on a fresh store with the library's own message boxes answered too.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <deque>
#include <ostream>
#include <vector>

#include "conformance/db_context.hpp"
#include "items_window.hpp"
#include "prompts.hpp"
#include "qt_context.hpp"

// Failed comparisons of Qt texts print the text, not its bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '{' << texts.join(QStringLiteral(", ")).toStdString() << '}';
}

namespace ortiva::qt_test {

/// Answers the example's questions in the order scripted. A question nobody scripted fails
/// the test; a message with only an OK button is recorded and acknowledged.
class ScriptedPrompts : public items::Prompts {
  public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QStringList buttons;
    };
    std::vector<Box> shown;
    std::deque<QMessageBox::StandardButton> answers;
    QString folder;

    QMessageBox::StandardButton exec(QMessageBox& box) override {
        Box b{box.windowTitle(), box.text(), box.icon(), {}};
        for (QAbstractButton* button : box.buttons())
            b.buttons << button->text();
        shown.push_back(b);
        if (!answers.empty()) {
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        }
        if (box.buttons().size() > 1)
            ADD_FAILURE() << "unscripted question: " << b.text.toStdString();
        return QMessageBox::Ok;
    }
    QString choose_folder(QWidget*, const QString&) override { return folder; }

    QString last_text() const { return shown.empty() ? QString() : shown.back().text; }
};

using ortiva::testing::TempDir;

}  // namespace ortiva::qt_test
