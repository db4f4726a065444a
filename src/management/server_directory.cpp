#include <fcntl.h>

#include <algorithm>

#include "management/catalog.hpp"
#include "management/device_file.hpp"
#include "management/errors.hpp"
#include "management/file_io.hpp"
#include "ortiva/management.hpp"

namespace ortiva::management {

namespace {

// Catalog changes are read-modify-write; the directory lock keeps two operators apart.
File lock_server(const std::filesystem::path& dir) {
    if (!is_server_directory(dir)) fail(Error::not_a_server, {dir.string()});
    File d(dir, O_RDONLY | O_DIRECTORY);
    d.lock_exclusive();
    return d;
}

}  // namespace

void create_server_directory(const std::filesystem::path& dir) {
    if (dir.empty()) fail(Error::not_a_server, {dir.string()});
    if (is_server_directory(dir)) fail(Error::server_exists, {dir.string()});
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) fail_io("Creating the directory", dir.string(), ec.value());
    write_catalog(dir, {});
}

void add_backup_device(const std::filesystem::path& server_dir, const std::string& name,
                       const std::filesystem::path& device_file, int32_t type) {
    check_device_name(name);
    if (type != device_disk && type != device_tape)
        fail(Error::invalid_device_type, {std::to_string(type)});
    check_device_file(device_file);
    const File lock = lock_server(server_dir);
    std::vector<DeviceEntry> devices = read_catalog(server_dir);
    if (std::any_of(devices.begin(), devices.end(),
                    [&](const DeviceEntry& e) { return e.name == name; }))
        fail(Error::device_exists, {name, server_dir.string()});
    DeviceEntry entry{name, type, device_file};
    create_device_file(device_file_path(server_dir, entry), name);
    devices.push_back(std::move(entry));
    write_catalog(server_dir, devices);
}

void drop_backup_device(const std::filesystem::path& server_dir, const std::string& name) {
    const File lock = lock_server(server_dir);
    std::vector<DeviceEntry> devices = read_catalog(server_dir);
    const auto it = std::find_if(devices.begin(), devices.end(),
                                 [&](const DeviceEntry& e) { return e.name == name; });
    if (it == devices.end()) fail(Error::no_such_device, {name, server_dir.string()});
    devices.erase(it);
    write_catalog(server_dir, devices);
}

}  // namespace ortiva::management
