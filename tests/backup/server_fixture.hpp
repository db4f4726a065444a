#pragma once

// A real server directory in a temporary folder, with databases made and read through the
// SQLite C API, for the backup suites.

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "conformance/db_context.hpp"
#include "management/checksum.hpp"
#include "management/device_format.hpp"
#include "management/errors.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/management.hpp"
#include "support/raised.hpp"

namespace ortiva::testing {

inline int32_t code(management::Error e) {
    return static_cast<int32_t>(e);
}

/// Runs SQL on a database file, failing with SQLite's own message.
inline void exec_sql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open(file.c_str(), &db);
    char* message = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(file.string() + ": " + text);
}

/// The first column of every row of a query, as text ("NULL" for Null).
inline std::vector<std::string> query_column(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    std::vector<std::string> out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* t = sqlite3_column_text(st, 0);
        out.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    return out;
}

inline std::vector<std::string> query_column(const std::filesystem::path& file,
                                             const std::string& sql) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> closing(db, sqlite3_close);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + file.string());
    return query_column(db, sql);
}

inline std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

/// Lets alter change the image of the first set in a device file's bytes, then makes every
/// checksum agree again, as a careless tool or a forger would.
inline void alter_first_image(std::string& bytes,
                              const std::function<void(char* image, std::size_t size)>& alter) {
    using namespace management;
    const std::size_t at = file_header_size;
    const uint32_t header_size =
        announced_header_size(std::string_view(bytes).substr(at, set_prefix_size));
    SetHeader header;
    if (header_size == 0 || !decode_set_header(bytes.substr(at, header_size), header))
        throw std::runtime_error("the device does not start with a set");
    const std::size_t image_at = at + header_size;
    alter(bytes.data() + image_at, header.image_size);
    header.image_crc = crc32c(0, bytes.data() + image_at, header.image_size);
    const std::string head = encode_set_header(header, header_size);
    bytes.replace(at, head.size(), head);
    const uint64_t set_size = header_size + header.image_size + trailer_size;
    const std::string trailer = encode_trailer(set_size, stored_header_crc(head));
    bytes.replace(image_at + header.image_size, trailer.size(), trailer);
}

/// A server directory with a disk device "DISK1" and a tape device "TAPE1".
struct ServerDir {
    TempDir temp;
    std::filesystem::path dir = temp.path() / "server";

    ServerDir() {
        management::create_server_directory(dir);
        management::add_backup_device(dir, "DISK1", "disk1.bak", management::device_disk);
        management::add_backup_device(dir, "TAPE1", "tape1.bak", management::device_tape);
    }

    std::filesystem::path db(const std::string& name) const { return dir / (name + ".db"); }
    std::filesystem::path device(const std::string& file = "disk1.bak") const { return dir / file; }

    /// A database NAME.db with a table items(id, name) holding the given names.
    void make_database(const std::string& name, const std::vector<std::string>& items) const {
        std::string sql = "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT);";
        for (const auto& item : items)
            sql += "INSERT INTO items(name) VALUES('" + item + "');";
        exec_sql(db(name), sql);
    }

    std::vector<std::string> items(const std::string& name) const {
        return query_column(db(name), "SELECT name FROM items ORDER BY id");
    }
};

}  // namespace ortiva::testing
