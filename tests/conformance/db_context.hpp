#pragma once

// What a database driver supplies to the suites that run on every driver: how to reach a
// fresh database, the column types to create tables with, and what it cannot do (each with the
// reason, so a skip says why).

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>

namespace ortiva::testing {

struct DbContext {
    std::string name;  // shown in test names: letters and digits only
    /// A connection string to an empty database of its own; called once per test.
    std::function<std::string()> fresh_database;
    std::string user;
    std::string password;
    // Column types for portable CREATE TABLE statements.
    std::string int_type = "INTEGER";
    std::string text_type = "VARCHAR(200)";
    std::string real_type = "DOUBLE PRECISION";
    std::string date_type = "TIMESTAMP";
    std::string bool_type = "BOOLEAN";
    std::string bigint_type = "BIGINT";
    /// Appended to CREATE TABLE for a table that is found only by its primary key.
    std::string without_rowid;
    /// Why the database cannot be reached here ("" when it can); tests then skip saying so,
    /// so that the list of tests never depends on where they were first listed.
    std::function<std::string()> unavailable;
    /// Capability -> why this driver lacks it.
    std::map<std::string, std::string> cannot;

    bool can(const std::string& capability) const { return cannot.count(capability) == 0; }
    friend std::ostream& operator<<(std::ostream& os, const DbContext& c) { return os << c.name; }
};

/// A temporary directory removed when the object goes.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ortiva-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

/// The embedded SQLite driver on a new database file in a temporary directory that lives
/// until the program ends.
inline DbContext sqlite_context() {
    DbContext c;
    c.name = "SQLite";
    c.fresh_database = [] {
        static TempDir dir;
        static int counter = 0;
        const auto file = dir.path() / ("db" + std::to_string(++counter) + ".sqlite");
        return "Data Source=" + file.string();
    };
    c.without_rowid = " WITHOUT ROWID";
    return c;
}

/// Test names from contexts: INSTANTIATE_TEST_SUITE_P(Drivers, X, values, context_name).
struct ContextName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return info.param.name;
    }
};

}  // namespace ortiva::testing
