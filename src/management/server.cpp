#include "management/server.hpp"

#include "management/errors.hpp"

namespace ortiva::management {

DeviceEntry ServerConnection::device(const std::string& name) const {
    for (DeviceEntry& e : read_catalog(dir))
        if (e.name == name) return std::move(e);
    fail(Error::no_such_device, {name, server_name});
}

bool is_postgres_server(const std::string& server) {
    return server.starts_with("postgresql://") || server.starts_with("postgres://");
}

void DeviceServer::connect(const std::string& server, const std::string& login,
                           const std::string& password) {
    ServerConnection c{std::filesystem::path(server), server, login, nullptr};
    if (is_postgres_server(server)) {
        postgres::connect(server, login, password, c);
    } else {
        if (!is_server_directory(c.dir)) fail(Error::not_a_server, {server});
        c.engine = sqlite::make_engine(c.dir);
    }
    // A damaged catalog is reported now, not at the first backup.
    const std::vector<DeviceEntry> devices = read_catalog(c.dir);
    remove_stale_catalog_copies(c.dir);
    for (const DeviceEntry& e : devices)
        remove_stale_device_copies(device_file_path(c.dir, e));
    connection_ = std::move(c);
}

void DeviceServer::disconnect() {
    connection();
    connection_.reset();
}

const ServerConnection& DeviceServer::connection() const {
    if (!connection_) fail(Error::not_connected);
    return *connection_;
}

std::vector<std::shared_ptr<BackupDevice>> DeviceServer::backup_devices() {
    const ServerConnection& server = connection();
    std::vector<std::shared_ptr<BackupDevice>> devices;
    for (DeviceEntry& e : read_catalog(server.dir))
        devices.push_back(make_backup_device(server, std::move(e)));
    return devices;
}

std::shared_ptr<BackupDevice> DeviceServer::backup_device(const std::string& name) {
    const ServerConnection& server = connection();
    return make_backup_device(server, server.device(name));
}

void DeviceServer::run_backup(const Backup& job) {
    back_up(connection(), job);
}

void DeviceServer::run_restore(const Restore& job) {
    restore(connection(), job);
}

#ifndef ORTIVA_HAVE_POSTGRES
void postgres::connect(const std::string& server, const std::string&, const std::string&,
                       ServerConnection&) {
    fail(Error::not_a_server, {server});
}
std::filesystem::path postgres::catalog_directory(const std::string& server) {
    fail(Error::not_a_server, {server});
}
#endif

std::unique_ptr<Server> create_server() {
    return std::make_unique<DeviceServer>();
}

std::filesystem::path device_catalog_directory(const std::string& server) {
    return is_postgres_server(server) ? postgres::catalog_directory(server)
                                      : std::filesystem::path(server);
}

}  // namespace ortiva::management
