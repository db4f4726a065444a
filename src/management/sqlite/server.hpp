#pragma once

// The server object of the SQLite backend and the operations it hands its jobs to.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "management/sqlite/catalog.hpp"
#include "management/sqlite/device_file.hpp"
#include "ortiva/management.hpp"

namespace ortiva::management::sqlite {

/// What a connected server object knows: the directory, the name it was reached by, the login.
struct ServerConnection {
    std::filesystem::path dir;
    std::string server_name;
    std::string login;

    std::filesystem::path database_file(const std::string& database) const {
        return dir / (database + ".db");
    }
    /// The catalog entry of the device of that exact name; throws no_such_device.
    DeviceEntry device(const std::string& name) const;
};

class SqliteServer final : public Server {
  public:
    void connect(const std::string& server, const std::string& login,
                 const std::string& password) override;
    void disconnect() override;
    bool connected() const override { return connection_.has_value(); }
    std::vector<std::shared_ptr<BackupDevice>> backup_devices() override;
    std::shared_ptr<BackupDevice> backup_device(const std::string& name) override;
    void run_backup(const Backup& job) override;
    void run_restore(const Restore& job) override;

  private:
    const ServerConnection& connection() const;

    std::optional<ServerConnection> connection_;
};

std::shared_ptr<BackupDevice> make_backup_device(const ServerConnection& server, DeviceEntry entry);
std::unique_ptr<BackupHeader> make_backup_header(const DeviceContents& contents);
void back_up(const ServerConnection& server, const Backup& job);
void restore(const ServerConnection& server, const Restore& job);

}  // namespace ortiva::management::sqlite
