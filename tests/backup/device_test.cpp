// The SQLite server backend and the device files every engine shares: damage, torn tails,
// interrupted and concurrent appends, atomic initialization, the header result, the operator
// functions, and hostile input: directory names SQLite could read as URIs, images damaged
// behind their checksums, FIFOs, NUL characters, copies left by killed writers, WAL databases
// of another page size, and unreadable directories.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backup/server_fixture.hpp"
#include "management/checksum.hpp"
#include "management/device_file.hpp"
#include "management/device_format.hpp"
#include "management/errors.hpp"
#include "ortiva/date.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/management.hpp"

namespace ortiva::management {
namespace {

namespace fs = std::filesystem;
using testing::code;
using testing::error_of;
using testing::ServerDir;

void back_up(Server& srv, const std::string& db, bool initialize = false,
             const std::string& device = "DISK1") {
    Backup job;
    job.initialize = initialize;
    job.database = db;
    job.backup_set_name = db + " set";
    job.devices = device;
    job.run(srv);
}

void restore(Server& srv, const std::string& db, int32_t position,
             const std::string& device = "DISK1") {
    Restore job;
    job.database = db;
    job.devices = device;
    job.file_number = position;
    job.run(srv);
}

// Runs body in a child process that exits with its status, 99 when it throws; the alarm ends
// a child that blocks.
pid_t spawn(const std::function<int()>& body, unsigned timeout_seconds = 0) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(timeout_seconds);
        int status = 99;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    return child;
}

// The exit status of body run in a child, or -1 when it had to be killed: a call that blocks
// for ever fails the test instead of hanging it.
int in_child(const std::function<int()>& body) {
    int status = 0;
    waitpid(spawn(body, 10), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A process that backs db up onto DISK1 through its own connection.
pid_t back_up_in_child(const fs::path& server, const std::string& db) {
    return spawn([&] {
        auto s = create_server();
        s->connect(server.string(), "", "");
        back_up(*s, db);
        return 0;
    });
}

class BackupDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.make_database("A", {"a1"});
        server_.make_database("B", {"b1"});
        server_.make_database("C", {"c1"});
        srv_->connect(server_.dir.string(), "tester", "");
    }

    void back_up(const std::string& db, bool initialize = false) {
        management::back_up(*srv_, db, initialize);
    }
    void restore(const std::string& db, int32_t position) {
        management::restore(*srv_, db, position);
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
    EXPECT_EQ(header->cell(2, 1), "B set");
    EXPECT_EQ(header->cell(2, 9), server_.dir.string());
    const double age = Date::now().serial - Date::parse(header->cell(1, 18)).serial;
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

    const pid_t child = back_up_in_child(server_.dir, "BIG");
    ASSERT_GE(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::filesystem::file_size(server_.device()) == base &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
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
        const pid_t child = back_up_in_child(server_.dir, db);
        ASSERT_GE(child, 0);
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

struct Cwd {
    fs::path old = fs::current_path();
    explicit Cwd(const fs::path& to) { fs::current_path(to); }
    ~Cwd() { fs::current_path(old); }
};

TEST(BackupHostile, DirectoryNamesSqliteCouldReadAsUrisNameTheirOwnFiles) {
    // Each server directory, given relative to the working directory, beside a decoy that a
    // URI reading of the name would reach instead.
    const struct {
        const char* server;
        const char* decoy;
    } cases[] = {{"file:srv", "srv"},
                 {"file:s%72v", "srv"},
                 {"file:srv?mode=ro", "srv"},
                 {"file:srv#frag", "srv"},
                 {"a?b#c%20d e", "a"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        testing::TempDir temp;
        const Cwd cwd(temp.path());
        const fs::path real = temp.path() / c.server;
        const fs::path decoy = temp.path() / c.decoy;
        create_server_directory(c.server);
        add_backup_device(c.server, "D", "d.bak");
        fs::create_directories(decoy);
        testing::exec_sql(real / "shop.db",
                          "CREATE TABLE items(name); INSERT INTO items "
                          "VALUES('real')");
        testing::exec_sql(decoy / "shop.db",
                          "CREATE TABLE items(name); INSERT INTO items "
                          "VALUES('decoy')");
        const std::string decoy_bytes = testing::read_file(decoy / "shop.db");

        auto srv = create_server();
        srv->connect(c.server, "", "");
        back_up(*srv, "shop", true, "D");
        testing::exec_sql(real / "shop.db", "INSERT INTO items VALUES('later')");
        restore(*srv, "shop", 1, "D");

        EXPECT_EQ(testing::query_column(real / "shop.db", "SELECT name FROM items"),
                  std::vector<std::string>{"real"});
        EXPECT_EQ(testing::read_file(decoy / "shop.db"), decoy_bytes);
    }
}

// A source that is not a database, or a damaged one, fails the backup and leaves the device
// as it was, appending or initializing.
TEST_F(BackupDevice, BadSourceIsRefusedAtBackupTimeAndWritesNoSet) {
    back_up("A", true);
    testing::write_file(server_.db("NOTDB"), std::string(8192, 'x'));
    server_.make_database("BAD", {"x", "y"});
    std::string bad = testing::read_file(server_.db("BAD"));
    bad[4096 + 3] = 0x00;  // page 2 claims 64 cells
    bad[4096 + 4] = 0x40;
    testing::write_file(server_.db("BAD"), bad);

    const std::string device = testing::read_file(server_.device());
    for (const auto& [db, expected] :
         {std::pair{"NOTDB", Error::database}, std::pair{"BAD", Error::database_damaged}}) {
        for (const bool initialize : {false, true}) {
            SCOPED_TRACE(std::string(db) + (initialize ? " initialize" : " append"));
            EXPECT_EQ(error_of([&] { back_up(db, initialize); }), code(expected));
            EXPECT_EQ(testing::read_file(server_.device()), device);
        }
    }
    back_up("B");  // the device takes further sets
    EXPECT_EQ(listed(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(BackupDevice, FifosAreRefusedWithoutBlocking) {
    back_up("A", true);
    management::back_up(*srv_, "A", true, "TAPE1");
    const struct {
        const char* what;
        fs::path fifo;
        std::function<void()> call;
    } cases[] = {
        {"device add", server_.dir / "pipe.bak",
         [&] { add_backup_device(server_.dir, "P", "pipe.bak"); }},
        {"history", server_.device(), [&] { srv_->backup_device("DISK1")->read_backup_header(); }},
        {"append", server_.device(), [&] { back_up("A"); }},
        {"initialize", server_.device(), [&] { back_up("A", true); }},
        {"restore", server_.device(), [&] { restore("A", 1); }},
        {"restore into", server_.db("A"), [&] { management::restore(*srv_, "A", 1, "TAPE1"); }},
    };
    const std::string device = testing::read_file(server_.device());
    const std::string database = testing::read_file(server_.db("A"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(c.fifo);
        ASSERT_EQ(mkfifo(c.fifo.c_str(), 0644), 0) << std::strerror(errno);
        EXPECT_EQ(in_child([&] { return error_of(c.call) == code(Error::io) ? 0 : 1; }), 0);
        EXPECT_TRUE(fs::is_fifo(c.fifo));
        fs::remove(c.fifo);
        testing::write_file(server_.device(), device);
        testing::write_file(server_.db("A"), database);
    }
    EXPECT_EQ(srv_->backup_devices().size(), 2u);  // "P" never reached the catalog
}

TEST_F(BackupDevice, InvalidNamesPathsAndServersAreRefusedBeforeAnythingIsWritten) {
    const fs::path catalog = server_.dir / "ortiva-devices.catalog";
    const std::string before = testing::read_file(catalog);
    // Tabs, line breaks and NUL are one rule for names and files: each character once.
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"bad", std::string("a\0b.bak", 7)},
        {"bad", std::string("/tmp\0/x.bak", 11)},
        {"bad", "a\rb.bak"},
        {"bad", ""},
        {std::string("a\0b", 3), "x.bak"},
        {"", "x.bak"},
        {" lead", "x.bak"},
        {"trail ", "x.bak"},
        {"tab\there", "x.bak"},
        {"line\nbreak", "x.bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + c.file);
        EXPECT_EQ(error_of([&] { add_backup_device(server_.dir, c.name, c.file); }),
                  code(Error::invalid_name));
        EXPECT_EQ(testing::read_file(catalog), before);
    }
    EXPECT_FALSE(fs::exists(server_.dir / "a"));
    EXPECT_FALSE(fs::exists(server_.dir / "x.bak"));

    // A path cut short at its NUL would reach another directory.
    const std::string cut = server_.temp.path().string() + std::string("/s\0x", 4);
    EXPECT_EQ(error_of([&] { create_server_directory(cut); }), code(Error::invalid_name));
    EXPECT_FALSE(fs::exists(server_.temp.path() / "s"));
    EXPECT_EQ(
        error_of([&] { srv_->connect(server_.dir.string() + std::string("\0x", 2), "", ""); }),
        code(Error::invalid_name));
    EXPECT_EQ(error_of([&] { srv_->connect(server_.db("A").string(), "", ""); }),
              code(Error::not_a_server));
    srv_->disconnect();
    EXPECT_EQ(error_of([&] { srv_->disconnect(); }), code(Error::not_connected));
}

TEST_F(BackupDevice, CopiesLeftByAKilledInitializeAreRemovedOnlyWhenStale) {
    auto leftovers = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(server_.dir))
            if (e.path().filename().string().rfind(".disk1.bak.", 0) == 0)
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };

    // A real initialize killed while it writes its copy.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SetHeader header;
        header.database = "A";
        start_device(server_.device(), "DISK1", header, [](int fd, uint64_t offset) {
            const std::string junk(8192, 'x');
            if (::pwrite(fd, junk.data(), junk.size(), static_cast<off_t>(offset)) < 0) _exit(3);
            for (;;)
                pause();
            return WrittenImage{};
        });
        _exit(0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline &&
           (leftovers().empty() ||
            fs::file_size(server_.dir / leftovers().front()) < file_header_size + 8192))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_EQ(leftovers().size(), 1u) << "the killed initialize left no copy";

    // Beside it, files that are not stale copies of ours.
    const std::string device_head = encode_file_header();
    testing::write_file(server_.dir / ".disk1.bak.Zz09aB", "");
    testing::write_file(server_.dir / ".disk1.bak.notes1", "my own notes");
    testing::write_file(server_.dir / ".disk1.bak.Lock3d", device_head + "in progress");
    testing::write_file(server_.dir / ".disk1.bak.toolong7", device_head);
    testing::write_file(server_.dir / ".ortiva-devices.catalog.Qw3rTy", "# Ortiva device cat");
    const int held = ::open((server_.dir / ".disk1.bak.Lock3d").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);  // a writer at work

    create_server()->connect(server_.dir.string(), "", "");
    EXPECT_EQ(leftovers(), (std::vector<std::string>{".disk1.bak.Lock3d", ".disk1.bak.notes1",
                                                     ".disk1.bak.toolong7"}))
        << "only unlocked copies that look like ours go";
    EXPECT_FALSE(fs::exists(server_.dir / ".ortiva-devices.catalog.Qw3rTy"));

    // Once its writer is gone, the next write takes the copy too.
    ::close(held);
    fs::remove(server_.dir / ".disk1.bak.notes1");
    fs::remove(server_.dir / ".disk1.bak.toolong7");
    testing::write_file(server_.dir / ".disk1.bak.Lock3d", device_head);
    back_up("A");
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(srv_->backup_device("DISK1")->read_backup_header()->rows(), 1);
}

TEST(BackupHostile, RestoreIntoWalDatabasesOfAnyPageSizeWithAReaderOpen) {
    const struct {
        int image_page;
        int live_page;
    } cases[] = {{4096, 1024}, {1024, 65536}, {65536, 4096}, {8192, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.image_page) + " into " + std::to_string(c.live_page));
        ServerDir server;
        // A rowid table without an integer primary key, with gaps, keeps its rowids.
        const std::string schema =
            "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT); CREATE TABLE t(x); "
            "CREATE INDEX t_x ON t(x);";
        testing::exec_sql(server.db("A"),
                          "PRAGMA page_size=" + std::to_string(c.image_page) + ";" + schema +
                              "INSERT INTO items(name) VALUES('a1'),('a2'); INSERT INTO t "
                              "VALUES(1),(2),(3),(4),(5); DELETE FROM t WHERE x IN (2, 4);");
        auto srv = create_server();
        srv->connect(server.dir.string(), "", "");
        back_up(*srv, "A", true);

        fs::remove(server.db("A"));
        testing::exec_sql(server.db("A"), "PRAGMA page_size=" + std::to_string(c.live_page) +
                                              "; PRAGMA journal_mode=WAL;" + schema +
                                              "INSERT INTO items(name) VALUES('live');");
        sqlite3* reader = nullptr;
        ASSERT_EQ(sqlite3_open(server.db("A").c_str(), &reader), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(reader, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(testing::query_column(reader, "SELECT name FROM items"),
                  std::vector<std::string>{"live"});

        EXPECT_EQ(error_of([&] { restore(*srv, "A", 1); }), 0);
        // The reader's snapshot is the old database whole; its next one the restored whole.
        EXPECT_EQ(testing::query_column(reader, "SELECT name FROM items"),
                  std::vector<std::string>{"live"});
        ASSERT_EQ(sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(testing::query_column(reader, "SELECT name FROM items ORDER BY id"),
                  (std::vector<std::string>{"a1", "a2"}));
        EXPECT_EQ(testing::query_column(reader, "SELECT rowid FROM t ORDER BY rowid"),
                  (std::vector<std::string>{"1", "3", "5"}));
        EXPECT_EQ(testing::query_column(reader, "PRAGMA integrity_check"),
                  std::vector<std::string>{"ok"});
        EXPECT_EQ(testing::query_column(reader, "PRAGMA page_size"),
                  std::vector<std::string>{std::to_string(c.live_page)});
        EXPECT_EQ(testing::query_column(reader, "PRAGMA journal_mode"),
                  std::vector<std::string>{"wal"});
        sqlite3_close(reader);
    }
}

// Run as a user the directories keep out: as nobody when the tests run as root.
TEST(BackupHostile, UnreadableServerDirectoriesReportThePermissionError) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && !nobody) GTEST_SKIP() << "no user 'nobody' to drop to";
    const struct {
        mode_t dir;
        mode_t catalog;
    } cases[] = {{0000, 0644}, {0644, 0644}, {0755, 0000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dir) + " " + std::to_string(c.catalog));
        ServerDir server;
        fs::permissions(server.temp.path(), fs::perms(0755));
        fs::permissions(server.dir / "ortiva-devices.catalog", fs::perms(c.catalog));
        fs::permissions(server.dir, fs::perms(c.dir));
        const int status = in_child([&] {
            if (geteuid() == 0 && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
                return 3;
            try {
                create_server()->connect(server.dir.string(), "", "");
            } catch (const ErrorInfo& e) {
                const bool permission =
                    e.description().find(std::strerror(EACCES)) != std::string::npos;
                return e.number() == code(Error::io) && permission ? 0 : 1;
            }
            return 2;
        });
        EXPECT_EQ(status, 0);
        fs::permissions(server.dir, fs::perms(0755));
    }
}

}  // namespace
}  // namespace ortiva::management
