// The items example: a data-entry window on Ortiva and Qt Widgets.
//
//   qt-items [DIR]   keeps its server directory (database and backup device) in DIR,
//                    by default ./qt-items-data
//   qt-items --screenshot FILE [DIR]   renders the window to a PNG and exits

#include <QApplication>
#include <QPixmap>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "items_window.hpp"
#include "ortiva/qt_controls.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Ortiva items"));
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString screenshot;
    if (args.size() >= 2 && args.front() == QLatin1String("--screenshot")) {
        args.removeFirst();
        screenshot = args.takeFirst();
    }
    const std::filesystem::path dir = std::filesystem::path(
        args.isEmpty() ? std::string("qt-items-data") : args.front().toStdString());

    ortiva::ScopedHostRuntime runtime(std::make_shared<ortiva::qt::QtRuntime>());
    items::ItemsWindow window(items::open_store(std::filesystem::absolute(dir)));
    window.resize(900, 600);
    window.show();
    if (!screenshot.isEmpty()) {
        QApplication::processEvents();
        return window.grab().save(screenshot) ? 0 : 1;
    }
    return QApplication::exec();
}
