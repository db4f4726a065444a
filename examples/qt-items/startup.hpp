#pragma once

// How the items example starts: its command line, and a store that opens or, failing that,
// questions to the user instead of an abort.

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

#include "items_database.hpp"
#include "prompts.hpp"

namespace items {

class ItemsWindow;

struct Options {
    enum class Action { run, help, version, error };
    Action action = Action::run;
    /// The parser's complaint when action is error.
    QString error;
    std::filesystem::path data_dir = "qt-items-data";
    bool data_given = false;
    /// Where --screenshot writes; empty when the window is to run.
    QString screenshot;
};

/// Reads the command line (arguments(0) is the program). Touches nothing on disk.
Options parse_options(const QStringList& arguments);
/// The text --help prints. Needs a QCoreApplication (for the program's name).
QString usage_text();

/// Opens dir as a store; when it cannot serve, tells the user why and offers a new database
/// (for a damaged or missing one), another folder, or quitting (nullopt).
std::optional<Store> open_with_recovery(std::filesystem::path dir, Prompts& prompts);

/// Puts the window into the state the screenshots show: the second item open in the form, an
/// invoice with three lines being entered and one backup on the device.
void stage_sample_session(ItemsWindow& window);
/// Saves one PNG per tab, named after file with the tab's name added ("shot.png" gives
/// "shot-items.png", ...). Returns the files written; throws ErrorInfo when one cannot be.
QStringList take_screenshots(ItemsWindow& window, const QString& file);

}  // namespace items
