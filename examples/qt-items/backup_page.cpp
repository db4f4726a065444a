// The Backup tab: back the shop database up onto a device, list the runs it holds, restore
// one.

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "items_window.hpp"
#include "ortiva/qt_controls.hpp"

namespace items {

using ortiva::Variant;
namespace oq = ortiva::qt;

QWidget* ItemsWindow::build_backup_tab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pgBackup"));
    device = new QComboBox(page);
    device->setObjectName(QStringLiteral("cboDevice"));
    device->setMinimumContentsLength(16);
    initialize = new QCheckBox(QStringLiteral("Start the device afresh"), page);
    initialize->setObjectName(QStringLiteral("chkInit"));
    auto* run = new QPushButton(QStringLiteral("Back up"), page);
    run->setObjectName(QStringLiteral("btnBackup"));
    auto* list = new QPushButton(QStringLiteral("Refresh"), page);
    list->setObjectName(QStringLiteral("btnHistory"));
    auto* restore = new QPushButton(QStringLiteral("Restore selected run…"), page);
    restore->setObjectName(QStringLiteral("btnRestore"));
    connect(run, &QPushButton::clicked, this, [this] { backup(); });
    connect(list, &QPushButton::clicked, this, [this] { show_history(); });
    connect(restore, &QPushButton::clicked, this, [this] { restore_selected_run(); });
    connect(device, &QComboBox::currentTextChanged, this, [this] { show_history(); });

    history = new QTreeWidget(page);
    history->setObjectName(QStringLiteral("lvwHistory"));
    history->setRootIsDecorated(false);
    history->setUniformRowHeights(true);
    history->setAlternatingRowColors(true);
    history->setSelectionMode(QAbstractItemView::SingleSelection);
    auto headers = ortiva::get_object(*oq::wrap(history, oq::TreeKind::ListView), "ColumnHeaders");
    for (int i = 0; i < 5; ++i)
        headers->call("Add", {Variant::missing(), Variant::missing(), Variant("")});

    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Device"), page);
    label->setObjectName(QStringLiteral("lblDevice"));
    top->addWidget(label);
    top->addWidget(device);
    top->addWidget(initialize);
    top->addWidget(run);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(list);
    bottom->addWidget(restore);
    bottom->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(history, 1);
    layout->addLayout(bottom);
    return page;
}

bool ItemsWindow::backup() {
    const std::string chosen = device->currentText().toStdString();
    if (chosen.empty()) {
        prompts_->inform(this, QStringLiteral("Back up"),
                         QStringLiteral("The data folder has no backup device."));
        return false;
    }
    const bool afresh = initialize->isChecked();
    if (afresh &&
        prompts_->ask(this, QStringLiteral("Back up"),
                      QStringLiteral("Starting the device afresh erases every backup it holds. "
                                     "Back up anyway?"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return false;
    return attempt(QStringLiteral("Backing up"), [&] {
        run_with_progress(
            QStringLiteral("Backing up %1 onto %2…")
                .arg(QString::fromStdString(store_.database), QString::fromStdString(chosen)),
            [&] { backup_.fnBackupDatabase(chosen, afresh, {store_.database}); });
        initialize->setChecked(false);
        show_history();
        say(QStringLiteral("Backed up %1 onto %2")
                .arg(QString::fromStdString(store_.database), QString::fromStdString(chosen)));
        return true;
    });
}

bool ItemsWindow::show_history() {
    if (!history || device->currentText().isEmpty()) return false;
    const bool listed = backup_.fnListBackupDetails(
        *oq::wrap(history), device->currentText().toStdString(), {store_.database});
    for (int c = 0; c < history->columnCount(); ++c)
        history->resizeColumnToContents(c);
    // The newest run first under the cursor: the one a restore usually wants.
    if (listed) history->setCurrentItem(history->topLevelItem(history->topLevelItemCount() - 1));
    return listed;
}

bool ItemsWindow::restore_selected_run() {
    const QList<QTreeWidgetItem*> chosen = history->selectedItems();
    if (chosen.isEmpty()) {
        prompts_->inform(this, QStringLiteral("Restore"),
                         QStringLiteral("Select a backup run in the history first."));
        return false;
    }
    const QTreeWidgetItem* run = chosen.front();
    const QString taken = run->text(1) + QStringLiteral(" at ") + run->text(2);
    const auto answer = prompts_->ask(
        this, QStringLiteral("Restore"),
        QStringLiteral("Replace the shop database with the backup taken on %1?\n\nEverything "
                       "changed since then (items, invoices) is lost.")
            .arg(taken),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
        {{QMessageBox::Yes, QStringLiteral("Restore")}});
    if (answer != QMessageBox::Yes) return false;
    const auto position = static_cast<int16_t>(run->text(4).toInt());
    const std::string chosen_device = device->currentText().toStdString();
    return attempt(QStringLiteral("Restoring"), [&] {
        run_with_progress(QStringLiteral("Restoring the backup taken on %1…").arg(taken), [&] {
            backup_.fnRestoreDatabase(chosen_device, position, {store_.database});
        });
        reconnect();
        item_modified_ = false;
        open_code_ = 0;
        refresh_categories();
        refresh_items();
        refresh_tree();
        new_item();
        show_next_invoice();
        say(QStringLiteral("Restored the backup taken on %1").arg(taken));
        return true;
    });
}

}  // namespace items
