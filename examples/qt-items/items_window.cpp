#include "items_window.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <thread>

#include "ortiva/connection.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/qt_controls.hpp"

namespace items {

namespace oq = ortiva::qt;

ItemsWindow::ItemsWindow(Store store, std::shared_ptr<Prompts> prompts, QWidget* parent)
    : QMainWindow(parent),
      store_(std::move(store)),
      prompts_(prompts ? std::move(prompts) : std::make_shared<Prompts>()) {
    setObjectName(QStringLiteral("frmItems"));
    setWindowTitle(QStringLiteral("Ortiva items"));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("pgMain"));
    tabs = new QTabWidget(central);
    tabs->setObjectName(QStringLiteral("tabMain"));
    tabs->addTab(build_items_tab(), QStringLiteral("Items"));
    tabs->addTab(build_invoice_tab(), QStringLiteral("Invoice"));
    tabs->addTab(build_tree_tab(), QStringLiteral("Categories"));
    tabs->addTab(build_backup_tab(), QStringLiteral("Backup"));
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(tabs);
    setCentralWidget(central);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("lblStatus"));
    statusBar()->addWidget(status, 1);
    build_menus();
    scratch_combo_ = ortiva::memory::create_control("ComboBox", "cboScratch");
    scratch_box_ = ortiva::memory::create_control("TextBox", "txtScratch");
    // The grid's quantities follow the same rule as its editor: whole numbers, six digits.
    ortiva::memory::set_key_press_handler(
        *scratch_box_,
        [this](ortiva::HostObject& box, int16_t& key) { gen_.TextValidateNum(box, key, 6, 0); });

    attempt(QStringLiteral("Opening the shop database"), [&] {
        db_.SetPropertyValues(store_.connection_string(), "", "", "Items");
        backup_.SetConnectionToServer(store_.server_dir.string(), "items", "");
        refresh_categories();
        refresh_items();
        refresh_tree();
        backup_.ListBackupDevice(*oq::wrap(device), false);
        if (device->count() > 0) oq::wrap(device)->let("ListIndex", ortiva::Variant(0));
        show_history();
        show_next_invoice();
        return true;
    });
    new_item();
}

ItemsWindow::~ItemsWindow() = default;

void ItemsWindow::use_runtime(const std::shared_ptr<ortiva::HostRuntime>& runtime) {
    db_.set_runtime(runtime);
    gen_.set_runtime(runtime);
    backup_.set_runtime(runtime);
}

void ItemsWindow::build_menus() {
    auto action = [this](QMenu* menu, const char* text, const QKeySequence& keys, auto slot) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    backup_action = action(file, "&Back up", QKeySequence(Qt::CTRL | Qt::Key_B), [this] {
        tabs->setCurrentIndex(3);
        backup();
    });
    restore_action = action(file, "&Restore selected run…", QKeySequence(), [this] {
        tabs->setCurrentIndex(3);
        restore_selected_run();
    });
    file->addSeparator();
    quit_action = action(file, "&Quit", QKeySequence::Quit, [this] { close(); });

    QMenu* item = menuBar()->addMenu(QStringLiteral("&Item"));
    new_action = action(item, "&New", QKeySequence::New, [this] {
        tabs->setCurrentIndex(0);
        new_item();
        name->setFocus();
    });
    save_action = action(item, "&Save", QKeySequence::Save, [this] {
        tabs->setCurrentIndex(0);
        save_item();
    });
    delete_action = action(item, "&Delete…", QKeySequence(Qt::CTRL | Qt::Key_Delete), [this] {
        tabs->setCurrentIndex(0);
        delete_item();
    });
    item->addSeparator();
    find_action = action(item, "&Find", QKeySequence::Find, [this] {
        tabs->setCurrentIndex(0);
        search->setFocus();
        search->selectAll();
    });

    QMenu* inv = menuBar()->addMenu(QStringLiteral("In&voice"));
    store_action = action(inv, "&Store lines", QKeySequence(Qt::CTRL | Qt::Key_Return), [this] {
        tabs->setCurrentIndex(1);
        store_invoice();
    });
}

void ItemsWindow::closeEvent(QCloseEvent* event) {
    if (!settle_item_edits()) {
        event->ignore();
        return;
    }
    if (invoice_has_lines()) {
        const auto answer = prompts_->ask(
            this, QStringLiteral("Unstored invoice"),
            QStringLiteral("The invoice has lines that are not stored. Store them before "
                           "quitting?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save,
            {{QMessageBox::Save, QStringLiteral("Store lines")}});
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !store_invoice())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void ItemsWindow::say(const QString& text) {
    status->setText(text);
}

bool ItemsWindow::attempt(const QString& doing, const std::function<bool()>& body) {
    try {
        return body();
    } catch (...) {
        // Anything escaping a slot would end the process: every failure is the user's to see.
        const ortiva::ErrorInfo e = ortiva::current_error();
        say(error_text(e));
        prompts_->error(this, doing, e);
        return false;
    }
}

void ItemsWindow::run_with_progress(const QString& label, const std::function<void()>& job) {
    QProgressDialog progress(label, QString(), 0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setCancelButton(nullptr);
    progress.show();
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    // The job uses only the backup object, which is then left to the worker alone; the
    // window stays painted and modal meanwhile.
    std::thread worker([&] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) loop.exec();
    worker.join();
    progress.close();
    if (failure) std::rethrow_exception(failure);
}

void ItemsWindow::reconnect() {
    // A restore puts a new database file in place: the old connection still reads the old one.
    auto connection = ortiva::Connection::create();
    connection->Open(store_.connection_string());
    db_.adocon(connection);
}

}  // namespace items
