#pragma once

// Where the items example keeps its data: a server directory (the backup backend's) holding
// the shop database and one backup device.

#include <filesystem>
#include <string>

namespace items {

struct Store {
    std::filesystem::path server_dir;
    std::string database = "shop";
    std::string device = "ShopBackups";

    std::filesystem::path database_file() const { return server_dir / (database + ".db"); }
    std::string connection_string() const { return "Data Source=" + database_file().string(); }
};

/// Makes dir a server directory with the device and the shop database (schema and a few
/// categories), unless it already is one. Returns the store.
Store open_store(const std::filesystem::path& dir);

}  // namespace items
