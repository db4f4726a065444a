#include "items_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/qt_controls.hpp"

namespace items {

using ortiva::HostObject;
using ortiva::Variant;
using ortiva::VariantArray;
namespace oq = ortiva::qt;

namespace {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(const char* name, const char* text, QWidget* parent) {
    return named(new QPushButton(QString::fromUtf8(text), parent), name);
}

QTreeWidget* report_view(const char* name, QWidget* parent) {
    auto* view = named(new QTreeWidget(parent), name);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAlternatingRowColors(true);
    return view;
}

// Column headers through the control, as the library reads them.
void add_columns(HostObject& view, std::initializer_list<const char*> titles) {
    auto headers = ortiva::get_object(view, "ColumnHeaders");
    for (const char* t : titles)
        headers->call("Add", {Variant::missing(), Variant::missing(), Variant(t)});
}

}  // namespace

ItemsWindow::ItemsWindow(Store store, QWidget* parent) : QWidget(parent), store_(std::move(store)) {
    setObjectName(QStringLiteral("frmItems"));
    setWindowTitle(QStringLiteral("Ortiva items"));
    tabs = named(new QTabWidget(this), "tabMain");
    tabs->addTab(build_items_tab(), QStringLiteral("Items"));
    tabs->addTab(build_invoice_tab(), QStringLiteral("Invoice"));
    tabs->addTab(build_tree_tab(), QStringLiteral("Categories"));
    tabs->addTab(build_backup_tab(), QStringLiteral("Backup"));
    status = named(new QLabel(this), "lblStatus");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(status);
    form_ = oq::wrap(this);

    db_.SetPropertyValues(store_.connection_string(), "", "", "Items");
    backup_.SetConnectionToServer(store_.server_dir.string(), "items", "");

    // Keys typed into the rate go through the numeric filter, those typed into the category
    // through the type-ahead.
    oq::set_key_press_handler(*oq::wrap(rate), [this](HostObject& box, int16_t& key) {
        gen_.TextValidateNum(box, key, 8, 2);
    });
    oq::set_key_press_handler(*oq::wrap(category), [this](HostObject& combo, int16_t& key) {
        gen_.MatchComboItem(combo, key);
    });

    refresh();
    backup_.ListBackupDevice(*oq::wrap(device), false);
    if (device->count() > 0) oq::wrap(device)->let("ListIndex", Variant(0));
    show_history();
    new_item();
}

QWidget* ItemsWindow::build_items_tab() {
    auto* page = named(new QWidget, "pgItems");
    auto* frame = named(new QGroupBox(QStringLiteral("Item master"), page), "fraItem");
    code = named(new QLineEdit(frame), "txtCode");
    code->setReadOnly(true);
    name = named(new QLineEdit(frame), "txtName");
    category = named(new QComboBox(frame), "cboCategory");
    category->setEditable(true);
    category->setCompleter(nullptr);
    category->setInsertPolicy(QComboBox::NoInsert);
    rate = named(new QLineEdit(frame), "txtRate");
    in_stock = named(new QCheckBox(QStringLiteral("In stock"), frame), "chkInStock");
    auto* fields = new QFormLayout(frame);
    fields->addRow(named(new QLabel(QStringLiteral("Code"), frame), "lblCode"), code);
    fields->addRow(named(new QLabel(QStringLiteral("Name *"), frame), "lblName"), name);
    fields->addRow(named(new QLabel(QStringLiteral("Category"), frame), "lblCategory"), category);
    fields->addRow(named(new QLabel(QStringLiteral("Rate"), frame), "lblRate"), rate);
    fields->addRow(in_stock);

    auto* buttons = new QHBoxLayout;
    auto* add = button("btnNew", "New", page);
    auto* save = button("btnSave", "Save", page);
    auto* remove = button("btnDelete", "Delete selected", page);
    buttons->addWidget(add);
    buttons->addWidget(save);
    buttons->addWidget(remove);
    buttons->addStretch();
    connect(add, &QPushButton::clicked, this, [this] { new_item(); });
    connect(save, &QPushButton::clicked, this, [this] { save_item(); });
    connect(remove, &QPushButton::clicked, this, [this] { delete_selected_item(); });

    item_list = report_view("lvwItems", page);
    add_columns(*oq::wrap(item_list, oq::TreeKind::ListView),
                {"S.No", "Code", "Name", "Category", "Rate"});

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->addWidget(item_list, 1);
    return page;
}

QWidget* ItemsWindow::build_invoice_tab() {
    auto* page = named(new QWidget, "pgInvoice");
    invoice = named(new QLineEdit(QStringLiteral("INV-0001"), page), "txtInvoice");
    lines = named(new QTableWidget(8, 3, page), "grdLines");
    // Row 0 is the grid's fixed caption row, as the classic grid has it.
    lines->horizontalHeader()->hide();
    lines->horizontalHeader()->setStretchLastSection(true);
    const char* captions[] = {"#", "Item", "Qty"};
    for (int c = 0; c < 3; ++c)
        lines->setItem(0, c, new QTableWidgetItem(QString::fromLatin1(captions[c])));
    auto* store = button("btnStoreLines", "Store lines", page);
    connect(store, &QPushButton::clicked, this, [this] { store_invoice(); });
    auto* top = new QHBoxLayout;
    top->addWidget(named(new QLabel(QStringLiteral("Invoice"), page), "lblInvoice"));
    top->addWidget(invoice);
    top->addWidget(store);
    top->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(lines, 1);
    return page;
}

QWidget* ItemsWindow::build_tree_tab() {
    auto* page = named(new QWidget, "pgCategories");
    category_tree = named(new QTreeWidget(page), "tvwCategories");
    category_tree->setHeaderHidden(true);
    oq::wrap(category_tree, oq::TreeKind::TreeView);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(category_tree);
    return page;
}

QWidget* ItemsWindow::build_backup_tab() {
    auto* page = named(new QWidget, "pgBackup");
    device = named(new QComboBox(page), "cboDevice");
    initialize = named(new QCheckBox(QStringLiteral("Start the device afresh"), page), "chkInit");
    auto* run = button("btnBackup", "Back up", page);
    auto* list = button("btnHistory", "History", page);
    auto* restore = button("btnRestore", "Restore selected run", page);
    connect(run, &QPushButton::clicked, this, [this] { backup(); });
    connect(list, &QPushButton::clicked, this, [this] { show_history(); });
    connect(restore, &QPushButton::clicked, this, [this] { restore_selected_run(); });
    history = report_view("lvwHistory", page);
    add_columns(*oq::wrap(history, oq::TreeKind::ListView),
                {"Database", "Date", "Time", "Size", "Sl No"});
    auto* top = new QHBoxLayout;
    top->addWidget(named(new QLabel(QStringLiteral("Device"), page), "lblDevice"));
    top->addWidget(device);
    top->addWidget(initialize);
    top->addWidget(run);
    top->addWidget(list);
    top->addWidget(restore);
    top->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(history, 1);
    return page;
}

void ItemsWindow::say(const std::string& text) {
    status->setText(QString::fromStdString(text));
}

template <typename F>
bool ItemsWindow::attempt(F&& body) {
    try {
        return body();
    } catch (const ortiva::ErrorInfo& e) {
        say("Error " + std::to_string(e.number()) + ": " + e.description());
        return false;
    }
}

void ItemsWindow::new_item() {
    attempt([&] {
        gen_.ClearControls(*oq::wrap(tabs->widget(0)));
        db_.strTableName("Items");
        code->setText(QString::number(db_.fnGetNextMaxNo("Code")));
        return true;
    });
}

bool ItemsWindow::save_item() {
    return attempt([&] {
        if (!gen_.fnMandatoryFldAvailable(*oq::wrap(name), "Enter the item's name", "Items"))
            return false;
        auto combo = oq::wrap(category);
        const int32_t chosen = ortiva::to_int32(combo->get("ListIndex"));
        const Variant category_code =
            chosen < 0 ? Variant::missing() : combo->get("ItemData", {Variant(chosen)});
        const Variant rate_value =
            rate->text().isEmpty()
                ? Variant::missing()
                : Variant(ortiva::to_double(Variant(rate->text().toStdString())));
        db_.strTableName("Items");
        const int32_t next = db_.fnGetNextMaxNo("Code");
        db_.fnInsertRecord({next, name->text().toStdString(), category_code, rate_value});
        int16_t at = 0;
        db_.fnInsertListview(*oq::wrap(item_list), at,
                             {"SLNO", next, name->text().toStdString(),
                              chosen < 0 ? std::string() : category->currentText().toStdString(),
                              rate->text().toStdString()});
        say("Item " + std::to_string(next) + " saved");
        new_item();
        refresh_tree();
        return true;
    });
}

bool ItemsWindow::delete_selected_item() {
    return attempt([&] {
        auto list = oq::wrap(item_list);
        const Variant chosen = list->get("SelectedItem");
        if (!chosen.object()) {
            say("Select an item first");
            return false;
        }
        const std::string item_code = ortiva::to_text(chosen.object()->get("SubItems", {1}));
        db_.strTableName("Items");
        db_.fnDeleteSelectedRecord("Code = " + item_code);
        db_.fnDeleteListview(true, *list, true);
        refresh_tree();
        say("Item " + item_code + " deleted");
        return true;
    });
}

void ItemsWindow::refresh_tree() {
    db_.PopulateTree(*oq::wrap(category_tree),
                     "select c.Name as Category, i.Name as Item from Categories c left join "
                     "Items i on i.Category = c.Code order by c.Name, i.Name",
                     "Shop", {"Category", "Item"});
    category_tree->expandAll();
}

void ItemsWindow::refresh() {
    attempt([&] {
        db_.strTableName("Categories");
        db_.PopulateComboOrList(*oq::wrap(category), "Code", "Name");
        std::string condition;
        db_.PopulateListview(*oq::wrap(item_list),
                             "Items i left join Categories c on c.Code = i.Category", condition,
                             {"SLNO", "i.Code", "i.Name", "c.Name", "i.Rate"});
        refresh_tree();
        return true;
    });
}

bool ItemsWindow::store_invoice() {
    return attempt([&] {
        db_.strTableName("InvoiceLines");
        VariantArray map{"N", 1, "V", invoice->text().toStdString(), "C", 1, "C", 2};
        db_.fnInsertGridDetails(*oq::wrap(lines), map);
        say("Invoice lines stored; next line number " + ortiva::join_text(map.at(1)));
        return true;
    });
}

bool ItemsWindow::backup() {
    return attempt([&] {
        const std::string chosen = device->currentText().toStdString();
        backup_.fnBackupDatabase(chosen, initialize->isChecked(), {store_.database});
        say("Backed up " + store_.database + " onto " + chosen);
        show_history();
        return true;
    });
}

bool ItemsWindow::show_history() {
    return backup_.fnListBackupDetails(*oq::wrap(history), device->currentText().toStdString(),
                                       {store_.database});
}

bool ItemsWindow::restore_selected_run() {
    return attempt([&] {
        const Variant chosen = oq::wrap(history)->get("SelectedItem");
        if (!chosen.object()) {
            say("Select a backup run first");
            return false;
        }
        const auto position =
            static_cast<int16_t>(ortiva::to_int32(chosen.object()->get("SubItems", {4})));
        backup_.fnRestoreDatabase(device->currentText().toStdString(), position, {store_.database});
        // The restored database is a new file: connect to it afresh.
        auto connection = ortiva::Connection::create();
        connection->Open(store_.connection_string());
        db_.adocon(connection);
        refresh();
        say("Restored backup set " + std::to_string(position));
        return true;
    });
}

}  // namespace items
