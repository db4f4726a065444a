#pragma once

// Every question and message the items example puts to its user goes through one Prompts
// object, so that the window never blocks in a modal loop it cannot be tested through.

#include <QMessageBox>
#include <QString>

#include "ortiva/error_info.hpp"

namespace items {

class Prompts {
  public:
    virtual ~Prompts() = default;

    /// Asks a question; buttons may carry texts of their own (see rename). Returns the button
    /// pressed, Cancel (or the default button) when the box was closed otherwise.
    QMessageBox::StandardButton ask(
        QWidget* parent, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button,
        const QList<QPair<QMessageBox::StandardButton, QString>>& rename = {});
    /// A failure: its number and text, and what was being done.
    void error(QWidget* parent, const QString& doing, const ortiva::ErrorInfo& e);
    /// A message with only an OK button.
    void inform(QWidget* parent, const QString& title, const QString& text);

    /// Shows the prepared box modally. Tests override it to answer without blocking.
    virtual QMessageBox::StandardButton exec(QMessageBox& box);
    /// Lets the user pick a folder; empty when cancelled.
    virtual QString choose_folder(QWidget* parent, const QString& start);
};

/// "Error N: description", as every failure is shown.
QString error_text(const ortiva::ErrorInfo& e);

}  // namespace items
