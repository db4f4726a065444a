// The SQLite server backend: device files under damage, torn tails, interrupted appends,
// atomic initialization, the header result, and the operator functions.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backup/server_fixture.hpp"
#include "management/checksum.hpp"
#include "management/errors.hpp"
#include "ortiva/date.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/management.hpp"

namespace ortiva::management {
namespace {

using testing::code;
using testing::error_of;
using testing::ServerDir;

class BackupDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.make_database("A", {"a1"});
        server_.make_database("B", {"b1"});
        server_.make_database("C", {"c1"});
        srv_->connect(server_.dir.string(), "tester", "");
    }

    void back_up(const std::string& db, bool initialize = false) {
        Backup job;
        job.initialize = initialize;
        job.database = db;
        job.backup_set_name = db + " set";
        job.devices = "DISK1";
        job.run(*srv_);
    }

    void restore(const std::string& db, int32_t position) {
        Restore job;
        job.database = db;
        job.devices = "DISK1";
        job.file_number = position;
        job.run(*srv_);
    }

    std::vector<std::string> listed() {
        auto header = srv_->backup_device("DISK1")->read_backup_header();
        std::vector<std::string> out;
        for (int32_t r = 1; r <= header->rows(); ++r)
            out.push_back(header->cell(r, 10));
        return out;
    }

    // Byte offset of the image of set n: headers are found by their magic.
    std::size_t set_offset(const std::string& bytes, int n) {
        std::size_t at = 0;
        for (int i = 0; i < n; ++i)
            at = bytes.find("ORTVSET1", i == 0 ? 0 : at + 1);
        return at;
    }

    ServerDir server_;
    std::unique_ptr<Server> srv_ = create_server();
};

TEST(BackupChecksum, KnownValueAndBothPathsAgree) {
    EXPECT_EQ(crc32c(0, "123456789", 9), 0xE3069283u);
    std::mt19937 gen(7);
    std::vector<unsigned char> data(4099);
    for (auto& b : data)
        b = static_cast<unsigned char>(gen());
    for (std::size_t start : {0u, 1u, 3u}) {
        for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 1000u, 4096u}) {
            EXPECT_EQ(crc32c(0, data.data() + start, n),
                      crc32c_portable(0, data.data() + start, n));
        }
    }
    // Continuing over pieces equals one pass.
    EXPECT_EQ(crc32c(crc32c(0, data.data(), 100), data.data() + 100, 3999),
              crc32c(0, data.data(), 4099));
}

TEST_F(BackupDevice, HeaderHoldsTheUsualColumns) {
    back_up("A", true);
    back_up("B");
    auto header = srv_->backup_device("DISK1")->read_backup_header();
    ASSERT_EQ(header->rows(), 2);
    EXPECT_EQ(header->column_name(6), "Position");
    EXPECT_EQ(header->column_name(10), "DatabaseName");
    EXPECT_EQ(header->column_name(13), "BackupSize");
    EXPECT_EQ(header->column_name(18), "BackupStartDate");
    EXPECT_EQ(header->cell(2, 6), "2");
    EXPECT_EQ(header->cell(2, 1), "B set");
    EXPECT_EQ(header->cell(2, 8), "tester");
    EXPECT_EQ(header->cell(2, 9), server_.dir.string());
    const std::string when = header->cell(1, 18);
    ASSERT_EQ(when.size(), 19u);
    EXPECT_EQ(when[10], ' ');
    const double age = Date::now().serial - Date::parse(when).serial;
    EXPECT_GE(age, 0.0);
    EXPECT_LT(age, 1.0 / 24);
    const auto size = std::filesystem::file_size(server_.device());
    EXPECT_EQ(std::stoull(header->cell(1, 13)) + std::stoull(header->cell(2, 13)) + 16, size);
    // Where the header says the image lies, there is a database with that checksum.
    const std::string bytes = testing::read_file(server_.device());
    EXPECT_EQ(header->cell(1, 16), "16");
    const auto image_at = std::stoull(header->cell(2, 17));
    const auto image_size = std::stoull(header->cell(2, 14));
    EXPECT_EQ(bytes.compare(image_at, 16, std::string("SQLite format 3\0", 16)), 0);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", crc32c(0, bytes.data() + image_at, image_size));
    EXPECT_EQ(header->cell(2, 15), crc);
    EXPECT_THROW(header->cell(3, 1), ErrorInfo);
    EXPECT_THROW(header->cell(1, 0), ErrorInfo);
    EXPECT_THROW(header->cell(1, header->columns() + 1), ErrorInfo);
}

TEST_F(BackupDevice, CorruptByteFailsThatRestoreOnly) {
    back_up("A", true);
    back_up("B");
    back_up("C");
    std::string bytes = testing::read_file(server_.device());
    const std::size_t second = set_offset(bytes, 2);
    bytes[second + 2000] = static_cast<char>(bytes[second + 2000] ^ 0x40);
    testing::write_file(server_.device(), bytes);
    testing::exec_sql(server_.db("B"), "INSERT INTO items(name) VALUES('b2')");

    EXPECT_EQ(error_of([&] { restore("B", 2); }), code(Error::backup_set_damaged));
    EXPECT_EQ(server_.items("B"), (std::vector<std::string>{"b1", "b2"}));
    EXPECT_EQ(listed(), (std::vector<std::string>{"A", "B", "C"}));
    restore("C", 3);  // the sets around it are sound
    EXPECT_EQ(server_.items("C"), (std::vector<std::string>{"c1"}));
}

TEST_F(BackupDevice, TruncatedDeviceKeepsEarlierSetsAndTheNextAppendOverwritesTheTail) {
    back_up("A", true);
    back_up("B");
    back_up("C");
    const std::string bytes = testing::read_file(server_.device());
    for (std::size_t cut :
         {set_offset(bytes, 3) + 5, set_offset(bytes, 3) + 300, bytes.size() - 1}) {
        testing::write_file(server_.device(), bytes.substr(0, cut));
        testing::exec_sql(server_.db("C"), "DELETE FROM items");
        EXPECT_EQ(listed(), (std::vector<std::string>{"A", "B"}));
        EXPECT_EQ(error_of([&] { restore("C", 3); }), code(Error::backup_set_damaged));
        EXPECT_TRUE(server_.items("C").empty());
        testing::exec_sql(server_.db("C"), "INSERT INTO items(name) VALUES('c1')");
    }
    back_up("C");
    EXPECT_EQ(listed(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(std::filesystem::file_size(server_.device()), bytes.size());
    restore("A", 1);
    EXPECT_EQ(server_.items("A"), (std::vector<std::string>{"a1"}));
}

TEST_F(BackupDevice, AppendKilledMidWriteLosesNothingBefore) {
    // A database of some 40 MB, so that its append takes long enough to be caught.
    testing::exec_sql(server_.db("BIG"),
                      "CREATE TABLE blobs(b); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                      "i+1 FROM n WHERE i < 10000) INSERT INTO blobs SELECT randomblob(4000) "
                      "FROM n;");
    back_up("A", true);
    back_up("B");
    const auto base = std::filesystem::file_size(server_.device());

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            auto s = create_server();
            s->connect(server_.dir.string(), "", "");
            Backup job;
            job.database = "BIG";
            job.devices = "DISK1";
            job.run(*s);
        } catch (...) {
        }
        _exit(0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::filesystem::file_size(server_.device()) == base &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_GT(std::filesystem::file_size(server_.device()), base) << "the child never wrote";

    const auto after_kill = listed();
    ASSERT_GE(after_kill.size(), 2u);
    EXPECT_EQ(after_kill[0], "A");
    EXPECT_EQ(after_kill[1], "B");
    restore("B", 2);
    back_up("C");
    auto now = listed();
    EXPECT_EQ(now.back(), "C");
    EXPECT_EQ(now.size(), after_kill.size() + 1);
    restore("C", static_cast<int32_t>(now.size()));
}

TEST_F(BackupDevice, ConcurrentAppendsFromTwoProcessesBothLand) {
    back_up("A", true);
    std::vector<pid_t> children;
    for (const char* db : {"B", "C", "B", "C"}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int status = 0;
            try {
                auto s = create_server();
                s->connect(server_.dir.string(), "", "");
                Backup job;
                job.database = db;
                job.devices = "DISK1";
                job.run(*s);
            } catch (...) {
                status = 1;
            }
            _exit(status);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto sets = listed();
    ASSERT_EQ(sets.size(), 5u);
    EXPECT_EQ(sets[0], "A");
    std::sort(sets.begin() + 1, sets.end());
    EXPECT_EQ(sets, (std::vector<std::string>{"A", "B", "B", "C", "C"}));
    for (int32_t position = 1; position <= 5; ++position)
        restore(listed()[static_cast<std::size_t>(position - 1)], position);
}

TEST_F(BackupDevice, DamageBeforeLaterSetsBlocksAppendsInsteadOfOverwriting) {
    back_up("A", true);
    back_up("B");
    back_up("C");
    std::string bytes = testing::read_file(server_.device());
    bytes[set_offset(bytes, 2) + 20] ^= 0x01;  // inside set 2's header
    testing::write_file(server_.device(), bytes);
    EXPECT_EQ(listed(), (std::vector<std::string>{"A"}));
    EXPECT_EQ(error_of([&] { back_up("A"); }), code(Error::device_damaged));
    EXPECT_EQ(testing::read_file(server_.device()), bytes);
    back_up("B", true);  // initializing reuses the device
    EXPECT_EQ(listed(), (std::vector<std::string>{"B"}));
}

TEST_F(BackupDevice, InitializeReplacesTheDeviceButNeverAForeignFile) {
    back_up("A", true);
    back_up("B");
    back_up("C", true);
    EXPECT_EQ(listed(), (std::vector<std::string>{"C"}));

    // A backup that fails half-way leaves the device as it was, both ways.
    testing::write_file(server_.db("NOTDB"), std::string(8192, 'x'));
    const std::string before = testing::read_file(server_.device());
    EXPECT_EQ(error_of([&] { back_up("NOTDB", true); }), code(Error::database));
    EXPECT_EQ(error_of([&] { back_up("NOTDB"); }), code(Error::database));
    EXPECT_EQ(listed(), (std::vector<std::string>{"C"}));
    EXPECT_EQ(testing::read_file(server_.device()).substr(0, before.size()), before);

    testing::write_file(server_.device(), "precious notes");
    EXPECT_EQ(error_of([&] { back_up("A", true); }), code(Error::not_a_device));
    EXPECT_EQ(error_of([&] { back_up("A"); }), code(Error::not_a_device));
    EXPECT_EQ(testing::read_file(server_.device()), "precious notes");

    testing::write_file(server_.dir / "notes.txt", "mine");
    EXPECT_EQ(error_of([&] { add_backup_device(server_.dir, "N", "notes.txt"); }),
              code(Error::not_a_device));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(server_.dir))
        left.push_back(entry.path().filename().string());
    for (const auto& name : left)
        EXPECT_EQ(name.find(".disk1.bak."), std::string::npos) << name;
}

TEST_F(BackupDevice, RestoreWhileAnotherConnectionHoldsTheDatabaseOpen) {
    for (const char* mode : {"DELETE", "WAL"}) {
        SCOPED_TRACE(mode);
        testing::exec_sql(server_.db("A"), std::string("PRAGMA journal_mode=") + mode);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(server_.db("A").c_str(), &other), SQLITE_OK);
        // In WAL mode this row stays in the log, which the snapshot must still see.
        ASSERT_EQ(sqlite3_exec(other, "INSERT INTO items(name) VALUES('open')", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        back_up("A", true);
        testing::exec_sql(server_.db("A"), "INSERT INTO items(name) VALUES('later')");
        EXPECT_EQ(testing::query_column(other, "SELECT count(*) FROM items"),
                  std::vector<std::string>{"3"});
        restore("A", 1);
        EXPECT_EQ(testing::query_column(other, "SELECT name FROM items ORDER BY id"),
                  (std::vector<std::string>{"a1", "open"}));
        ASSERT_EQ(
            sqlite3_exec(other, "DELETE FROM items WHERE name = 'open'", nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(other);
        EXPECT_EQ(testing::query_column(server_.db("A"), "PRAGMA journal_mode"),
                  std::vector<std::string>{mode == std::string("WAL") ? "wal" : "delete"});
    }
}

TEST_F(BackupDevice, BadRequestsAreRefusedClearly) {
    back_up("A", true);
    EXPECT_EQ(error_of([&] { restore("A", 2); }), code(Error::no_such_backup_set));
    EXPECT_EQ(error_of([&] { restore("A", 0); }), code(Error::no_such_backup_set));
    EXPECT_EQ(error_of([&] { back_up("MISSING"); }), code(Error::no_such_database));
    for (const char* name : {"", "..", "../A", "x/y"})
        EXPECT_EQ(error_of([&] { back_up(name); }), code(Error::invalid_name)) << name;
    EXPECT_EQ(error_of([&] { srv_->connect((server_.dir / "A.db").string(), "", ""); }),
              code(Error::not_a_server));
    srv_->disconnect();
    EXPECT_EQ(error_of([&] { srv_->disconnect(); }), code(Error::not_connected));
    EXPECT_EQ(error_of([&] { srv_->backup_devices(); }), code(Error::not_connected));
}

TEST(BackupServerDirectory, OperatorFunctionsKeepTheCatalogSound) {
    testing::TempDir temp;
    const auto dir = temp.path() / "s";
    create_server_directory(dir);
    EXPECT_EQ(error_of([&] { create_server_directory(dir); }), code(Error::server_exists));
    add_backup_device(dir, "one", "one.bak");
    add_backup_device(dir, "two", temp.path() / "two.bak", device_tape);
    add_backup_device(dir, "three", "three.bak");
    EXPECT_TRUE(std::filesystem::exists(dir / "one.bak"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "two.bak"));
    EXPECT_EQ(error_of([&] { add_backup_device(dir, "one", "x.bak"); }),
              code(Error::device_exists));
    for (const char* name : {"", " lead", "trail ", "tab\there", "line\nbreak"})
        EXPECT_EQ(error_of([&] { add_backup_device(dir, name, "x.bak"); }),
                  code(Error::invalid_name))
            << name;
    EXPECT_EQ(error_of([&] { add_backup_device(dir, "x", "x.bak", 3); }),
              code(Error::invalid_device_type));
    EXPECT_EQ(error_of([&] { drop_backup_device(dir, "nope"); }), code(Error::no_such_device));
    EXPECT_EQ(error_of([&] { add_backup_device(temp.path(), "x", "x.bak"); }),
              code(Error::not_a_server));

    drop_backup_device(dir, "one");
    EXPECT_TRUE(std::filesystem::exists(dir / "one.bak"));  // its sets are kept
    auto srv = create_server();
    srv->connect(dir.string(), "", "");
    std::vector<std::pair<std::string, int32_t>> devices;
    for (const auto& d : srv->backup_devices())
        devices.emplace_back(d->name(), d->status());
    EXPECT_EQ(devices, (std::vector<std::pair<std::string, int32_t>>{{"two", 5}, {"three", 2}}));
    add_backup_device(dir, "one", "one.bak");  // the old device file is taken back
    EXPECT_EQ(srv->backup_device("one")->read_backup_header()->rows(), 0);
}

}  // namespace
}  // namespace ortiva::management
