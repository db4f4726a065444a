#include "items_database.hpp"

#include "ortiva/connection.hpp"
#include "ortiva/management.hpp"

namespace items {

Store open_store(const std::filesystem::path& dir) {
    Store store{dir};
    if (std::filesystem::exists(store.database_file())) return store;
    ortiva::management::create_server_directory(dir);
    ortiva::management::add_backup_device(dir, store.device, "shop-backups.bak");
    auto conn = ortiva::Connection::create();
    conn->Open(store.connection_string());
    conn->Execute("CREATE TABLE Categories (Code INTEGER PRIMARY KEY, Name VARCHAR(40))");
    conn->Execute(
        "CREATE TABLE Items (Code INTEGER PRIMARY KEY, Name VARCHAR(60), Category INTEGER, "
        "Rate DOUBLE)");
    conn->Execute(
        "CREATE TABLE InvoiceLines (LineNo INTEGER, Invoice VARCHAR(20), Item VARCHAR(60), "
        "Qty INTEGER)");
    conn->Execute(
        "INSERT INTO Categories VALUES (1, 'TOOLS'), (2, 'PAINT'), (3, 'GARDEN'), "
        "(4, 'PLUMBING')");
    conn->Close();
    return store;
}

}  // namespace items
