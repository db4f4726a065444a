#include "management/sqlite/server.hpp"

#include "management/sqlite/errors.hpp"

namespace ortiva::management::sqlite {

DeviceEntry ServerConnection::device(const std::string& name) const {
    for (DeviceEntry& e : read_catalog(dir))
        if (e.name == name) return std::move(e);
    fail(Error::no_such_device, {name, server_name});
}

void SqliteServer::connect(const std::string& server, const std::string& login,
                           const std::string&) {
    const std::filesystem::path dir(server);
    if (!is_server_directory(dir)) fail(Error::not_a_server, {server});
    // A damaged catalog is reported now, not at the first backup.
    const std::vector<DeviceEntry> devices = read_catalog(dir);
    remove_stale_catalog_copies(dir);
    for (const DeviceEntry& e : devices)
        remove_stale_device_copies(device_file_path(dir, e));
    connection_ = ServerConnection{dir, server, login};
}

void SqliteServer::disconnect() {
    connection();
    connection_.reset();
}

const ServerConnection& SqliteServer::connection() const {
    if (!connection_) fail(Error::not_connected);
    return *connection_;
}

std::vector<std::shared_ptr<BackupDevice>> SqliteServer::backup_devices() {
    const ServerConnection& server = connection();
    std::vector<std::shared_ptr<BackupDevice>> devices;
    for (DeviceEntry& e : read_catalog(server.dir))
        devices.push_back(make_backup_device(server, std::move(e)));
    return devices;
}

std::shared_ptr<BackupDevice> SqliteServer::backup_device(const std::string& name) {
    const ServerConnection& server = connection();
    return make_backup_device(server, server.device(name));
}

void SqliteServer::run_backup(const Backup& job) {
    back_up(connection(), job);
}

void SqliteServer::run_restore(const Restore& job) {
    restore(connection(), job);
}

}  // namespace ortiva::management::sqlite

namespace ortiva::management {

std::unique_ptr<Server> create_server() {
    return std::make_unique<sqlite::SqliteServer>();
}

}  // namespace ortiva::management
