#include "items_database.hpp"

#include <chrono>

#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/management.hpp"
#include "ortiva/recordset.hpp"

namespace items {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(StoreError::Kind kind) {
    throw StoreError{kind, ortiva::current_error()};
}

bool is_server_directory(const fs::path& dir) {
    auto server = ortiva::management::create_server();
    try {
        server->connect(dir.string(), "items", "");
        server->disconnect();
        return true;
    } catch (const ortiva::ErrorInfo&) {
        return false;
    }
}

void create_schema(const Store& store) {
    auto conn = ortiva::Connection::create();
    conn->Open(store.connection_string());
    conn->BeginTrans();
    conn->Execute("CREATE TABLE Categories (Code INTEGER PRIMARY KEY, Name VARCHAR(40))");
    conn->Execute(
        "CREATE TABLE Items (Code INTEGER PRIMARY KEY, Name VARCHAR(60), Category INTEGER, "
        "Rate DOUBLE, InStock INTEGER)");
    conn->Execute(
        "CREATE TABLE InvoiceLines (LineNo INTEGER, Invoice INTEGER, Item VARCHAR(60), "
        "Qty INTEGER)");
    conn->Execute(
        "INSERT INTO Categories VALUES (1, 'TOOLS'), (2, 'PAINT'), (3, 'GARDEN'), "
        "(4, 'PLUMBING')");
    conn->CommitTrans();
    conn->Close();
}

bool has_column(ortiva::Connection& conn, const std::string& table, const std::string& column) {
    auto rs = conn.Execute("select * from " + table + " where 1 = 0");
    auto& fields = rs->Fields();
    for (int32_t i = 0; i < fields.Count(); ++i)
        if (fields.Item(i).Name() == column) return true;
    return false;
}

// Reads every table the window uses, so that a damaged file is found here rather than in the
// middle of someone's work. The first layout had no InStock column: it is added.
void check_database(const Store& store) {
    auto conn = ortiva::Connection::create();
    conn->Open(store.connection_string());
    auto verdict = conn->Execute("pragma quick_check");
    const std::string result = ortiva::to_text(verdict->Fields().Item(0).Value());
    verdict->Close();
    if (result != "ok")
        throw ortiva::ErrorInfo(-1, "qt-items", store.database_file().string() + ": " + result);
    conn->Execute("select Code, Name from Categories where 1 = 0")->Close();
    conn->Execute("select Code, Name, Category, Rate from Items where 1 = 0")->Close();
    conn->Execute("select LineNo, Invoice, Item, Qty from InvoiceLines where 1 = 0")->Close();
    if (!has_column(*conn, "Items", "InStock"))
        conn->Execute("ALTER TABLE Items ADD COLUMN InStock INTEGER");
    conn->Close();
}

}  // namespace

Store open_store(const fs::path& dir) {
    Store store{dir};
    try {
        if (!fs::exists(dir) || (fs::is_directory(dir) && fs::is_empty(dir))) {
            ortiva::management::create_server_directory(dir);
            ortiva::management::add_backup_device(dir, store.device, "shop-backups.bak");
            create_schema(store);
            return store;
        }
        if (!fs::is_directory(dir))
            throw ortiva::ErrorInfo(-1, "qt-items", dir.string() + " is a file, not a folder");
        if (!is_server_directory(dir))
            throw ortiva::ErrorInfo(-1, "qt-items",
                                    dir.string() + " holds other files: not a data folder");
    } catch (...) {
        fail(StoreError::Kind::folder);
    }
    try {
        auto server = ortiva::management::create_server();
        server->connect(dir.string(), "items", "");
        bool has_device = false;
        for (const auto& d : server->backup_devices())
            has_device |= d->name() == store.device;
        server->disconnect();
        if (!has_device)
            ortiva::management::add_backup_device(dir, store.device, "shop-backups.bak");
    } catch (...) {
        fail(StoreError::Kind::folder);
    }
    try {
        if (!fs::exists(store.database_file()))
            throw ortiva::ErrorInfo(-1, "qt-items", store.database_file().string() + " is missing");
        check_database(store);
    } catch (...) {
        fail(StoreError::Kind::database);
    }
    return store;
}

fs::path recreate_database(const Store& store) {
    fs::path aside;
    const fs::path file = store.database_file();
    if (fs::exists(file)) {
        const auto stamp = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
        aside = file;
        aside += ".damaged-" + std::to_string(stamp);
        fs::rename(file, aside);
    }
    create_schema(store);
    return aside;
}

void add_sample_items(const Store& store) {
    struct Sample {
        const char* name;
        int32_t category;
        double rate;
        bool in_stock;
    };
    const Sample samples[] = {
        {"Claw hammer", 1, 14.50, true},    {"Screwdriver set", 1, 22.00, true},
        {"Wall paint 5 l", 2, 38.90, true}, {"Paint brush", 2, 4.25, false},
        {"Garden hose", 3, 27.75, true},    {"Pruning shears", 3, 16.40, true},
        {"Pipe wrench", 4, 19.95, false},
    };
    ortiva::ClsCommonDb db;
    db.SetPropertyValues(store.connection_string(), "", "", "Items");
    db.BeginTrans();
    for (const Sample& s : samples)
        db.fnInsertRecord(
            {db.fnGetNextMaxNo("Code"), s.name, s.category, s.rate, ortiva::Variant(s.in_stock)});
    db.CommitTrans();
}

std::string sql_literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string sql_contains(const std::string& column, const std::string& text) {
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return column + " like " + sql_literal(pattern + "%") + " escape '\\'";
}

}  // namespace items
