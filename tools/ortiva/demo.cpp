// ortiva demo: a short data-entry session on the embedded SQLite default, played through the
// public classes and printed step by step. Everything it writes stays inside one directory.

#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "commands.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/clscryptor.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/management.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva::cli {

namespace fs = std::filesystem;

namespace {

int step_number = 0;

void step(const std::string& title) {
    std::cout << "\n== " << ++step_number << ". " << title << '\n';
}

void show(const std::string& what, const Variant& value) {
    std::cout << "   " << what << ": " << join_text(value) << '\n';
}

void show_control(const HostObject& control) {
    std::string text = memory::render(control);
    std::string::size_type start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        std::cout << "   " << text.substr(start, end - start) << '\n';
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

fs::path demo_directory(const std::string& requested) {
    if (!requested.empty()) {
        fs::create_directories(requested);
        return fs::absolute(requested);
    }
    std::string pattern = (fs::temp_directory_path() / "ortiva-demo-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    return pattern;
}

// The application's own schema script, run once on a connection of its own.
void create_schema(const std::string& connect) {
    auto conn = Connection::create();
    conn->Open(connect);
    conn->Execute("CREATE TABLE Categories (Code INTEGER PRIMARY KEY, Name VARCHAR(40))");
    conn->Execute(
        "CREATE TABLE Items (Code INTEGER PRIMARY KEY, Name VARCHAR(60), Category INTEGER, "
        "Rate DOUBLE)");
    conn->Execute(
        "CREATE TABLE InvoiceLines (LineNo INTEGER, Invoice VARCHAR(20), Item VARCHAR(60), "
        "Qty INTEGER)");
    conn->Close();
}

int run_demo(const std::string& requested_dir) {
    const fs::path dir = demo_directory(requested_dir);
    const fs::path server_dir = dir / "server";
    const std::string connect = "Data Source=" + (server_dir / "shop.db").string();
    std::cout << "Ortiva demo, working in " << dir.string() << '\n';

    step("Prepare a server directory with a backup device, and the shop database in it");
    management::create_server_directory(server_dir);
    management::add_backup_device(server_dir, "ShopBackups", "shop-backups.bak");
    create_schema(connect);
    std::cout << "   tables Categories, Items and InvoiceLines created in shop.db\n";

    step("Connect with SetPropertyValues");
    // One run time for the demo's objects, handed to each rather than installed for the process.
    const auto runtime = std::make_shared<HeadlessRuntime>();
    ClsCommonDb db;
    db.set_runtime(runtime);
    db.SetPropertyValues(connect, "", "", "Categories");
    show("connection state (ConState)", db.ConState());
    show("server date (dtSystemDate)", db.dtSystemDate());

    step("Store categories and items with fnInsertRecord, codes from fnGetNextMaxNo");
    for (const char* name : {"Tools", "Paint", "Garden"}) {
        const int32_t code = db.fnGetNextMaxNo("Code");
        db.fnInsertRecord({code, name});
        std::cout << "   category " << code << " " << name << '\n';
    }
    db.strTableName("Items");
    struct Item {
        const char* name;
        int32_t category;
        double rate;
    };
    for (const Item& item : {Item{"Hammer", 1, 12.5}, Item{"Saw", 1, 18.0}, Item{"Brush", 2, 3.75},
                             Item{"Roller", 2, 6.4}, Item{"Rake", 3, 15.0}}) {
        const int32_t code = db.fnGetNextMaxNo("Code");
        db.fnInsertRecord({code, item.name, item.category, item.rate});
        std::cout << "   item " << code << " " << item.name << " at " << item.rate << '\n';
    }
    show("last SQL text", db.LastExecutedSql());

    step("Store invoice lines from a grid with fnInsertGridDetails");
    auto grid = memory::create_control("MSFlexGrid", "grdLines");
    grid->let("Rows", 4);
    grid->let("Cols", 3);
    const char* cells[4][3] = {
        {"#", "Item", "Qty"}, {"1", "Hammer", "2"}, {"", "", ""}, {"3", "Brush", "5"}};
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t c = 0; c < 3; ++c)
            grid->let("TextMatrix", cells[r][c], {r, c});
    show_control(*grid);
    std::cout << "   (row 2 has no item, so it is skipped)\n";
    db.strTableName("InvoiceLines");
    VariantArray map{"N", 1, "V", "INV-0001", "C", 1, "C", 2};
    db.fnInsertGridDetails(*grid, map);
    show("next running line number, written back into the map", map.at(1));
    show("lines stored", db.fnReturnField("count(*)"));

    step("Fill a combo box with PopulateComboOrList and select by name and by item data");
    db.strTableName("Categories");
    auto combo = memory::create_control("ComboBox", "cboCategory");
    db.PopulateComboOrList(*combo, "Code", "Name");
    clsCommonGen gen;
    gen.set_runtime(runtime);
    gen.SelectComboItemByName(*combo, " paint ");
    std::cout << "   after SelectComboItemByName(\" paint \"):\n";
    show_control(*combo);
    gen.SelectComboItemByValue(*combo, 3);
    std::cout << "   after SelectComboItemByValue(3):\n";
    show_control(*combo);

    step("Fill a list view with PopulateListview (serial numbers in the first column)");
    auto items = memory::create_control("ListView", "lvwItems");
    auto headers = get_object(*items, "ColumnHeaders");
    for (const char* h : {"S.No", "Code", "Item", "Category", "Rate"})
        headers->call("Add", {Variant::missing(), Variant::missing(), h});
    std::string condition = " Rate > 5 ";
    db.PopulateListview(*items, "Items", condition, {"SLNO", "Code", "Name", "Category", "Rate"});
    show("SELECT sent", db.LastExecutedSql());
    show_control(*items);

    step("Fill a tree with PopulateTree, one level per field");
    auto tree = memory::create_control("TreeView", "tvwItems");
    db.PopulateTree(*tree,
                    "select c.Name as Category, i.Name as Item from Items i join Categories c "
                    "on c.Code = i.Category order by c.Code, i.Code",
                    "Shop", {"Category", "Item"});
    show_control(*tree);

    step("Encipher and decipher a password with clscryptor");
    clscryptor cipher;
    const std::string secret = cipher.EnCrypt("s3cret-päss", "shop-key");
    show("enciphered", secret);
    show("deciphered", cipher.DeCrypt(secret, "shop-key"));

    step("Back up the shop database onto the device ShopBackups");
    ClsDBBackupRestore backup;
    backup.set_runtime(runtime);
    backup.SetConnectionToServer(server_dir.string(), "demo", "");
    backup.fnBackupDatabase("ShopBackups", true, {"shop"});
    std::cout << "   backup set 1 written\n";

    step("Change a record after the backup with fnUpdateSelectedRecord");
    db.strTableName("Items");
    show("rate of Hammer before", db.fnReturnField("Rate", "Name = 'Hammer'"));
    db.fnUpdateSelectedRecord("Name = 'Hammer'", {"Rate", 99.0});
    show("rate of Hammer now", db.fnReturnField("Rate", "Name = 'Hammer'"));

    step("List the device's history with fnListBackupDetails");
    auto history = memory::create_control("ListView", "lvwHistory");
    auto history_headers = get_object(*history, "ColumnHeaders");
    for (int i = 0; i < 5; ++i)
        history_headers->call("Add");
    backup.fnListBackupDetails(*history, "ShopBackups", {"shop"});
    show_control(*history);

    step("Restore the run with fnRestoreDatabase and read the record again");
    backup.fnRestoreDatabase("ShopBackups", 1, {"shop"});
    show("rate of Hammer after the restore", db.fnReturnField("Rate", "Name = 'Hammer'"));

    std::cout << "\nDone. Everything the demo wrote is in " << dir.string() << '\n';
    return 0;
}

}  // namespace

void add_demo_command(CLI::App& app, Action& action) {
    auto dir = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("demo", "Play a short data-entry session and print each step");
    cmd->add_option("--dir", *dir, "Directory to work in (default: a new temporary one)");
    cmd->callback([&action, dir] { action = [dir] { return run_demo(*dir); }; });
}

}  // namespace ortiva::cli
