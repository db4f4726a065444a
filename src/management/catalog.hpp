#pragma once

// The device catalog of a server directory: a text file whose first line identifies it and
// whose further lines each name one backup device as NAME<TAB>TYPE<TAB>FILE. A relative FILE
// is taken from the server directory, so a server directory can be moved as a whole.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ortiva::management {

inline constexpr const char* catalog_file_name = "ortiva-devices.catalog";

struct DeviceEntry {
    std::string name;
    int32_t type = 0;
    std::filesystem::path file;  // as recorded
};

/// Whether dir holds a device catalog. Throws the io error when the file system will not say
/// (a directory the user may not search), and invalid_name for a path holding NUL.
bool is_server_directory(const std::filesystem::path& dir);
/// The devices in catalog order. Throws not_a_server or catalog_damaged.
std::vector<DeviceEntry> read_catalog(const std::filesystem::path& dir);
/// Replaces the catalog atomically.
void write_catalog(const std::filesystem::path& dir, const std::vector<DeviceEntry>& devices);
/// Removes catalog copies left by a writer that died (see remove_stale_copies).
void remove_stale_catalog_copies(const std::filesystem::path& dir) noexcept;
/// The device file's path, relative entries resolved against the server directory.
std::filesystem::path device_file_path(const std::filesystem::path& dir, const DeviceEntry& entry);

/// Throws invalid_name unless name can be a device name.
void check_device_name(const std::string& name);
/// Throws invalid_name unless file can be a device file path, by the catalog reader's rules.
void check_device_file(const std::filesystem::path& file);
/// Throws invalid_name unless name can be a database name (it becomes a file name).
void check_database_name(const std::string& name);

}  // namespace ortiva::management
