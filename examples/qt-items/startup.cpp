#include "startup.hpp"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "items_window.hpp"

namespace items {

namespace fs = std::filesystem;

namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption data{{QStringLiteral("d"), QStringLiteral("data")},
                            QStringLiteral("Keep the shop database and its backups in DIR "
                                           "(default ./qt-items-data)."),
                            QStringLiteral("DIR")};
    QCommandLineOption screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Save one PNG per tab, named after FILE (shot.png gives shot-items.png, "
                       "...), and exit. Without --data a fresh folder with sample data is "
                       "used."),
        QStringLiteral("FILE")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};

    Parser() {
        parser.setApplicationDescription(
            QStringLiteral("A small shop's items, invoices and backups, kept with Ortiva."));
        parser.addOptions({data, screenshot, help, version});
        parser.addPositionalArgument(QStringLiteral("DIR"),
                                     QStringLiteral("The data folder, as with --data."),
                                     QStringLiteral("[DIR]"));
    }
};

}  // namespace

Options parse_options(const QStringList& arguments) {
    Parser p;
    Options options;
    if (!p.parser.parse(arguments)) {
        options.action = Options::Action::error;
        options.error = p.parser.errorText();
        return options;
    }
    if (p.parser.isSet(p.help)) {
        options.action = Options::Action::help;
        return options;
    }
    if (p.parser.isSet(p.version)) {
        options.action = Options::Action::version;
        return options;
    }
    const QStringList rest = p.parser.positionalArguments();
    if (rest.size() > 1 || (rest.size() == 1 && p.parser.isSet(p.data))) {
        options.action = Options::Action::error;
        options.error = QStringLiteral("Give the data folder once.");
        return options;
    }
    QString dir = p.parser.isSet(p.data) ? p.parser.value(p.data) : rest.value(0);
    if (p.parser.isSet(p.data) && dir.isEmpty()) {
        options.action = Options::Action::error;
        options.error = QStringLiteral("--data needs a folder.");
        return options;
    }
    options.data_given = !dir.isEmpty();
    if (options.data_given) options.data_dir = fs::path(dir.toStdString());
    options.screenshot = p.parser.value(p.screenshot);
    if (p.parser.isSet(p.screenshot) && options.screenshot.isEmpty()) {
        options.action = Options::Action::error;
        options.error = QStringLiteral("--screenshot needs a file name.");
    }
    return options;
}

QString usage_text() {
    Parser p;
    return p.parser.helpText();
}

std::optional<Store> open_with_recovery(fs::path dir, Prompts& prompts) {
    for (;;) {
        QString where = QString::fromStdString(dir.string());
        try {
            return open_store(dir);
        } catch (const StoreError& problem) {
            const QString why = error_text(problem.error);
            QMessageBox::StandardButton answer;
            if (problem.kind == StoreError::Kind::database) {
                answer = prompts.ask(
                    nullptr, QStringLiteral("Shop database"),
                    QStringLiteral("The shop database in %1 cannot be used.\n\n%2\n\nCreate a new, "
                                   "empty database (a damaged file is kept beside it), choose "
                                   "another folder, or quit?")
                        .arg(where, why),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
                    {{QMessageBox::Yes, QStringLiteral("Create new database")},
                     {QMessageBox::No, QStringLiteral("Choose folder…")},
                     {QMessageBox::Cancel, QStringLiteral("Quit")}});
            } else {
                answer = prompts.ask(
                    nullptr, QStringLiteral("Data folder"),
                    QStringLiteral("%1 cannot be used as the data folder.\n\n%2\n\nChoose another "
                                   "folder, or quit?")
                        .arg(where, why),
                    QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
                    {{QMessageBox::No, QStringLiteral("Choose folder…")},
                     {QMessageBox::Cancel, QStringLiteral("Quit")}});
            }
            if (answer == QMessageBox::Yes) {
                try {
                    recreate_database(Store{dir});
                } catch (...) {
                    prompts.error(nullptr, QStringLiteral("Creating the database"),
                                  ortiva::current_error());
                }
            } else if (answer == QMessageBox::No) {
                const QString chosen = prompts.choose_folder(nullptr, where);
                if (!chosen.isEmpty()) dir = fs::path(chosen.toStdString());
            } else {
                return std::nullopt;
            }
        }
    }
}

void stage_sample_session(ItemsWindow& window) {
    if (window.item_list->topLevelItemCount() > 1)
        window.load_item(window.item_list->topLevelItem(1)->text(1).toInt());
    const char* lines[][2] = {{"Claw hammer", "2"}, {"Paint brush", "6"}, {"Garden hose", "1"}};
    int row = 1;
    for (const auto& line : lines) {
        window.lines->setItem(row, 1, new QTableWidgetItem(QString::fromUtf8(line[0])));
        window.lines->setItem(row, 2, new QTableWidgetItem(QString::fromUtf8(line[1])));
        ++row;
    }
    if (window.history->topLevelItemCount() == 0) window.backup();
    window.status->clear();
}

QStringList take_screenshots(ItemsWindow& window, const QString& file) {
    const QFileInfo target(file);
    const QString suffix = target.suffix().isEmpty() ? QStringLiteral("png") : target.suffix();
    const QString stem = target.path() + QLatin1Char('/') + target.completeBaseName();
    QStringList written;
    for (int i = 0; i < window.tabs->count(); ++i) {
        window.tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString name = stem + QLatin1Char('-') +
                             window.tabs->tabText(i).remove(QLatin1Char('&')).toLower() +
                             QLatin1Char('.') + suffix;
        if (!window.grab().save(name))
            throw ortiva::ErrorInfo(75, "qt-items", "Cannot write " + name.toStdString());
        written << name;
    }
    window.tabs->setCurrentIndex(0);
    return written;
}

}  // namespace items
