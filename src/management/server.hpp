#pragma once

// The server object shared by every database engine: devices, their catalog and their files
// are the same whatever the engine, which only takes, checks and restores database images.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "management/catalog.hpp"
#include "management/device_file.hpp"
#include "ortiva/management.hpp"

namespace ortiva::management {

/// What a database engine does for backups and restores.
class Engine {
  public:
    virtual ~Engine() = default;

    /// Whether the database exists. Throws the engine's error when it cannot tell.
    virtual bool database_exists(const std::string& database) = 0;
    /// The engine's version number, recorded in each set.
    virtual uint32_t version() = 0;
    /// The current date and time as "yyyy-mm-dd hh:mm:ss", by the engine's clock.
    virtual std::string now() = 0;
    /// Writes a consistent image of the database to fd at offset (nothing is synced). The
    /// image's CRC may be returned when it was computed while writing.
    virtual WrittenImage write_image(const std::string& database, int fd, uint64_t offset) = 0;
    /// What is wrong with the verified set's image (empty when it can be restored); asked
    /// before the database is touched.
    virtual std::string image_problem(const VerifiedSet& set, const std::string& database) = 0;
    /// Replaces the database by the set's image, all or nothing; creates it when create is
    /// set, and removes what it created when the restore fails.
    virtual void restore_image(const VerifiedSet& set, const std::string& database,
                               bool create) = 0;
};

/// What a connected server object knows: the device catalog's directory, the name the server
/// was reached by, the login, and the engine.
struct ServerConnection {
    std::filesystem::path dir;
    std::string server_name;
    std::string login;
    std::unique_ptr<Engine> engine;

    /// The catalog entry of the device of that exact name; throws no_such_device.
    DeviceEntry device(const std::string& name) const;
};

class DeviceServer final : public Server {
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

/// Whether the server text names a PostgreSQL server rather than a server directory.
bool is_postgres_server(const std::string& server);

std::shared_ptr<BackupDevice> make_backup_device(const ServerConnection& server, DeviceEntry entry);
std::unique_ptr<BackupHeader> make_backup_header(const DeviceContents& contents);
void back_up(const ServerConnection& server, const Backup& job);
void restore(const ServerConnection& server, const Restore& job);

namespace sqlite {
/// The engine of a server directory's SQLite databases.
std::unique_ptr<Engine> make_engine(const std::filesystem::path& dir);
}  // namespace sqlite

namespace postgres {
/// Connects to the PostgreSQL server the text names and fills c: its engine, the catalog's
/// directory (given an empty catalog when missing), the server's name without credentials and
/// the login in effect.
void connect(const std::string& server, const std::string& login, const std::string& password,
             ServerConnection& c);
/// The device catalog's directory of the PostgreSQL server the text names.
std::filesystem::path catalog_directory(const std::string& server);
}  // namespace postgres

}  // namespace ortiva::management
