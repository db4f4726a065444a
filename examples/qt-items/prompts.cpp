#include "prompts.hpp"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPushButton>

namespace items {

QString error_text(const ortiva::ErrorInfo& e) {
    // Drivers may end a description with the connection hint after a bare carriage return.
    QString text = QString::fromStdString(e.description());
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return QStringLiteral("Error %1: %2").arg(e.number()).arg(text.trimmed());
}

QMessageBox::StandardButton Prompts::ask(
    QWidget* parent, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button,
    const QList<QPair<QMessageBox::StandardButton, QString>>& rename) {
    QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
    box.setDefaultButton(default_button);
    for (const auto& [which, label] : rename)
        if (QAbstractButton* b = box.button(which)) b->setText(label);
    return exec(box);
}

void Prompts::error(QWidget* parent, const QString& doing, const ortiva::ErrorInfo& e) {
    QMessageBox box(QMessageBox::Critical, doing, error_text(e), QMessageBox::Ok, parent);
    if (!e.source().empty())
        box.setInformativeText(
            QStringLiteral("Reported by %1").arg(QString::fromStdString(e.source())));
    exec(box);
}

void Prompts::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    exec(box);
}

QMessageBox::StandardButton Prompts::exec(QMessageBox& box) {
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked) return QMessageBox::Cancel;
    return box.standardButton(clicked);
}

QString Prompts::choose_folder(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Choose a data folder"), start);
}

}  // namespace items
