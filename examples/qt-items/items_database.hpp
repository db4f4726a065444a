#pragma once

// Where the items example keeps its data: a server directory (the backup backend's) holding
// the shop database and one backup device.

#include <filesystem>
#include <string>

#include "ortiva/error_info.hpp"

namespace items {

struct Store {
    std::filesystem::path server_dir;
    std::string database = "shop";
    std::string device = "ShopBackups";

    std::filesystem::path database_file() const { return server_dir / (database + ".db"); }
    std::string connection_string() const { return "Data Source=" + database_file().string(); }
};

/// Why a folder could not be opened as a store. A folder problem (the folder cannot be
/// created, or holds something else) leaves only choosing another folder; a database problem
/// (shop.db missing or not a readable shop database) may also be cured by a new database.
struct StoreError {
    enum class Kind { folder, database };
    Kind kind;
    ortiva::ErrorInfo error;
};

/// Opens dir as a store. A missing or empty dir becomes a new store (schema and a few
/// categories); an existing store is checked and an older layout brought up to date.
/// Throws StoreError and changes nothing else when dir cannot serve.
Store open_store(const std::filesystem::path& dir);

/// Gives the store a new, empty shop database. A file that is in the way is renamed aside,
/// never deleted; returns its new name (empty when there was none).
std::filesystem::path recreate_database(const Store& store);

/// Adds seven items across the categories: the data the screenshots and the demo show.
void add_sample_items(const Store& store);

/// text as an SQL string literal: quoted, its quotes doubled. The library pastes conditions
/// into SQL as given, so every user text reaches it through here.
std::string sql_literal(const std::string& text);

/// A LIKE condition on column matching text anywhere, its wildcards taken literally.
std::string sql_contains(const std::string& column, const std::string& text);

}  // namespace items
