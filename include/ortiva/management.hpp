#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ortiva/export.hpp"

namespace ortiva::management {

/// Device types as the management layer reports them in a device's status.
inline constexpr int32_t device_disk = 2;
inline constexpr int32_t device_tape = 5;

/// The backup header of a device: one row per complete backup set, in device order, with the
/// columns of a backup header in their usual order. Rows and columns count from 1. Columns 6
/// (Position), 10 (DatabaseName), 13 (BackupSize) and 18 (BackupStartDate, "yyyy-mm-dd
/// hh:mm:ss") always hold a value; the others may be empty.
class ORTIVA_API BackupHeader {
  public:
    virtual ~BackupHeader() = default;

    /// Number of backup sets.
    virtual int32_t rows() const = 0;
    /// Number of columns.
    virtual int32_t columns() const = 0;
    /// The column's name ("Position", "DatabaseName", ...). Throws ErrorInfo out of range.
    virtual std::string column_name(int32_t column) const = 0;
    /// The cell as text. Throws ErrorInfo for a row or column out of range.
    virtual std::string cell(int32_t row, int32_t column) const = 0;
};

/// A named backup device of a server.
class ORTIVA_API BackupDevice {
  public:
    virtual ~BackupDevice() = default;

    /// The device's name.
    virtual std::string name() const = 0;
    /// device_disk (2) or device_tape (5).
    virtual int32_t status() const = 0;
    /// Reads the headers of the backup sets the device holds. A torn tail left by an
    /// interrupted backup is not reported. Throws ErrorInfo when the device cannot be read.
    virtual std::unique_ptr<BackupHeader> read_backup_header() = 0;
};

class Server;

/// A backup job: backs up one database onto one device of the server it runs on.
struct ORTIVA_API Backup {
    /// true: the device is started afresh and holds only this backup afterwards; false: the
    /// backup is appended to what the device holds.
    bool initialize = false;
    /// The database to back up.
    std::string database;
    /// The name recorded with the backup set in its header.
    std::string backup_set_name;
    /// The device's name, used exactly as given.
    std::string devices;

    /// Performs the backup synchronously. Throws the server's ErrorInfo.
    void run(Server& server) const;
};

/// A restore job: restores one backup set of a device into a database of the server.
struct ORTIVA_API Restore {
    /// The database to restore into (the built-in backend creates it when missing).
    std::string database;
    /// The device's name, used exactly as given.
    std::string devices;
    /// Position of the backup set on the device, from 1.
    int32_t file_number = 1;
    /// false (the default) refuses to overwrite an existing database with a set taken from a
    /// database of another name.
    bool replace_database = false;

    /// Performs the restore synchronously. Throws the server's ErrorInfo.
    void run(Server& server) const;
};

/// A management connection to one server. A new server object is not connected; every
/// operation but connect then fails with the backend's "not connected" error. Not
/// thread-safe: use an object from one thread at a time.
class ORTIVA_API Server {
  public:
    virtual ~Server() = default;

    /// Connects to the named server. Throws ErrorInfo when the server cannot be reached or
    /// refuses the login.
    virtual void connect(const std::string& server, const std::string& login,
                         const std::string& password) = 0;
    /// Ends the connection. Throws ErrorInfo when the object is not connected.
    virtual void disconnect() = 0;
    /// True between a successful connect and disconnect.
    virtual bool connected() const = 0;

    /// The server's backup devices, in the server's order.
    virtual std::vector<std::shared_ptr<BackupDevice>> backup_devices() = 0;
    /// The backup device of that exact name. Throws ErrorInfo when the server has none.
    virtual std::shared_ptr<BackupDevice> backup_device(const std::string& name) = 0;

    /// Performs \p job; what Backup::run calls. Throws ErrorInfo as Backup::run does.
    virtual void run_backup(const Backup& job) = 0;
    /// Performs \p job; what Restore::run calls. Throws ErrorInfo as Restore::run does.
    virtual void run_restore(const Restore& job) = 0;
};

inline void Backup::run(Server& server) const {
    server.run_backup(*this);
}
inline void Restore::run(Server& server) const {
    server.run_restore(*this);
}

/// A new, unconnected server object. The server text given to connect selects the engine:
///
/// - a directory: a server directory, whose databases are the SQLite files NAME.db in it and
///   whose catalog file lists the backup devices. The login is recorded in the backup
///   headers; the password is not checked (access is the file system's matter).
/// - "postgresql://[USER@]HOST[:PORT][/DBNAME][?devices=DIR][&connect_timeout=SECONDS]": a
///   PostgreSQL server (a connection gives up after connect_timeout, 1 to 3600, default 30).
///   Backups are taken with pg_dump and restored with pg_restore; DBNAME (default "postgres") is
///   the database the server's own queries run in. The device catalog and relative device files
///   live in DIR, by default $XDG_DATA_HOME/ortiva/postgres/HOST-PORT (XDG_DATA_HOME defaults
///   to ~/.local/share), created with an empty catalog when missing. The login (else USER,
///   else PGUSER) and the password (else PGPASSWORD or the password file) are the server's.
ORTIVA_API std::unique_ptr<Server> create_server();

/// The directory holding the device catalog of the server the text names (see create_server):
/// the text itself for a server directory; for a PostgreSQL server its devices directory,
/// given an empty catalog when it has none.
ORTIVA_API std::filesystem::path device_catalog_directory(const std::string& server);

// Operator functions of the built-in backend. Each throws ErrorInfo on failure and leaves
// the server directory as it was.

/// Makes dir (and missing parents) a server directory with an empty device catalog. Fails
/// when dir is already a server directory.
ORTIVA_API void create_server_directory(const std::filesystem::path& dir);
/// Adds a device named name of the given type (device_disk or device_tape) whose backup sets
/// are kept in device_file; a relative device_file is taken relative to the server
/// directory. Creates the device file empty when it does not exist; an existing device file
/// is kept with its sets. Names are unique, not empty, without tabs or line breaks and
/// without leading or trailing spaces.
ORTIVA_API void add_backup_device(const std::filesystem::path& server_dir, const std::string& name,
                                  const std::filesystem::path& device_file,
                                  int32_t type = device_disk);
/// Removes the device from the catalog; its device file and the sets in it are kept.
ORTIVA_API void drop_backup_device(const std::filesystem::path& server_dir,
                                   const std::string& name);

}  // namespace ortiva::management
