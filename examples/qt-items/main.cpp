// The items example: a data-entry window on Ortiva and Qt Widgets. `qt-items --help` says
// how to start it.

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "items_window.hpp"
#include "ortiva/qt_controls.hpp"
#include "startup.hpp"

namespace {

int print(std::FILE* to, const QString& text, int status) {
    std::fputs(text.toLocal8Bit().constData(), to);
    return status;
}

int run(const items::Options& options) {
    const auto runtime = std::make_shared<ortiva::qt::QtRuntime>();
    auto prompts = std::make_shared<items::Prompts>();
    // A screenshot without a data folder shows sample data in a folder of its own, so that
    // the pictures do not depend on what a previous run left.
    QTemporaryDir sample;
    const bool use_sample = !options.screenshot.isEmpty() && !options.data_given;
    const std::filesystem::path dir =
        use_sample ? std::filesystem::path(sample.path().toStdString()) / "data"
                   : std::filesystem::absolute(options.data_dir);
    const std::optional<items::Store> store = items::open_with_recovery(dir, *prompts);
    if (!store) return 1;
    if (use_sample) items::add_sample_items(*store);

    items::ItemsWindow window(*store, prompts);
    window.use_runtime(runtime);
    window.resize(900, 600);
    window.show();
    if (options.screenshot.isEmpty()) return QApplication::exec();

    QApplication::processEvents();
    if (use_sample) items::stage_sample_session(window);
    for (const QString& file : items::take_screenshots(window, options.screenshot))
        print(stdout, file + QLatin1Char('\n'), 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const items::Options options = items::parse_options(arguments);
    if (options.action != items::Options::Action::run) {
        // Answered without a window, a display or anything written to disk.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("qt-items"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QT_ITEMS_VERSION));
        switch (options.action) {
            case items::Options::Action::help:
                return print(stdout, items::usage_text(), 0);
            case items::Options::Action::version:
                return print(stdout, QStringLiteral("qt-items %1\n").arg(QT_ITEMS_VERSION), 0);
            default:
                return print(
                    stderr,
                    QStringLiteral("qt-items: %1\n\n%2").arg(options.error, items::usage_text()),
                    2);
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qt-items"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ortiva items"));
    QApplication::setApplicationVersion(QStringLiteral(QT_ITEMS_VERSION));
    try {
        return run(options);
    } catch (...) {
        const ortiva::ErrorInfo e = ortiva::current_error();
        items::Prompts().error(nullptr, QStringLiteral("Ortiva items"), e);
        return print(stderr, QStringLiteral("qt-items: %1\n").arg(items::error_text(e)), 1);
    }
}
