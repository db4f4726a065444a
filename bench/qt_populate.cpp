// PopulateListview of 32,767 rows x 5 columns from SQLite into a real QTreeWidget, against the
// best hand-written Qt code for the same job: a forward-only QSqlQuery building every item,
// then one addTopLevelItems. Both run in the same iteration, alternately, on the same file;
// "ratio" is the library's time over the floor's.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QVariant>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/qt_controls.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int rows = 32767;

void fill(QSqlDatabase& db);

// A database file with the rows, made once per run.
const fs::path& database() {
    static const fs::path file = [] {
        std::string pattern = (fs::temp_directory_path() / "ortiva-qt-bench-XXXXXX").string();
        const fs::path dir = mkdtemp(pattern.data());
        const fs::path path = dir / "items.db";
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
            db.setDatabaseName(QString::fromStdString(path.string()));
            db.open();
            fill(db);
        }
        QSqlDatabase::removeDatabase("fill");
        return path;
    }();
    return file;
}

void fill(QSqlDatabase& db) {
    QSqlQuery q(db);
    q.exec(
        "CREATE TABLE Items (Code INTEGER, Name VARCHAR(60), Category INTEGER, "
        "Rate DOUBLE, Notes VARCHAR(60))");
    db.transaction();
    q.prepare("INSERT INTO Items VALUES (?, ?, ?, ?, ?)");
    for (int i = 1; i <= rows; ++i) {
        q.addBindValue(i);
        q.addBindValue(QString("Item number %1").arg(i));
        q.addBindValue(i % 17);
        q.addBindValue(i * 0.25);
        q.addBindValue(QString("note %1").arg(i * 7));
        q.exec();
    }
    db.commit();
}

double raw_floor(QTreeWidget& tree) {
    QSqlDatabase db = QSqlDatabase::database("raw");
    const auto start = Clock::now();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec("select Code, Name, Category, Rate, Notes from Items");
    QList<QTreeWidgetItem*> items;
    items.reserve(rows);
    while (q.next()) {
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < 5; ++c)
            item->setText(c, q.value(c).toString());
        items.append(item);
    }
    tree.addTopLevelItems(items);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double library(ortiva::ClsCommonDb& db, ortiva::HostObject& lvw) {
    const auto start = Clock::now();
    std::string condition;
    db.PopulateListview(lvw, "Items", condition, {"Code", "Name", "Category", "Rate", "Notes"});
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_PopulateListviewVsRawQt(benchmark::State& state) {
    const std::string path = database().string();
    // Each run makes its own connection and removes it when done (see ~RawConnection).
    struct RawConnection {
        explicit RawConnection(const std::string& path) {
            QSqlDatabase raw = QSqlDatabase::addDatabase("QSQLITE", "raw");
            raw.setDatabaseName(QString::fromStdString(path));
            raw.open();
        }
        ~RawConnection() { QSqlDatabase::removeDatabase("raw"); }
    } raw_connection(path);
    ortiva::ScopedHostRuntime runtime(std::make_shared<ortiva::qt::QtRuntime>());
    ortiva::ClsCommonDb db;
    db.SetPropertyValues("Data Source=" + path, "", "", "Items");

    // Both views sit in a window that is not on screen, as a form being filled would.
    QWidget window;
    auto* floor_tree = new QTreeWidget(&window);
    floor_tree->setColumnCount(5);
    floor_tree->setUniformRowHeights(true);
    auto* view = new QTreeWidget(&window);
    view->setUniformRowHeights(true);
    auto lvw = ortiva::qt::wrap(view, ortiva::qt::TreeKind::ListView);
    auto headers = ortiva::get_object(*lvw, "ColumnHeaders");
    for (const char* h : {"Code", "Name", "Category", "Rate", "Notes"})
        headers->call("Add", {ortiva::Variant::missing(), ortiva::Variant::missing(), h});

    double floor_total = 0;
    double library_total = 0;
    for (auto _ : state) {
        floor_tree->clear();
        view->clear();
        const double f = raw_floor(*floor_tree);
        const double l = library(db, *lvw);
        floor_total += f;
        library_total += l;
        state.SetIterationTime(l);
        if (floor_tree->topLevelItemCount() != rows || view->topLevelItemCount() != rows)
            state.SkipWithError("a view did not get every row");
    }
    state.counters["floor_ms"] = 1000 * floor_total / static_cast<double>(state.iterations());
    state.counters["ortiva_ms"] = 1000 * library_total / static_cast<double>(state.iterations());
    state.counters["ratio"] = library_total / floor_total;
}
BENCHMARK(BM_PopulateListviewVsRawQt)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

// The application lives in main, as in a host: Qt SQL's globals are static, and a
// QApplication in static storage would be destroyed after them, running Qt SQL's clean-up on
// freed memory at exit.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
