// The SQLite server backend against hostile paths, names and files: directory names SQLite
// could read as URIs, images damaged behind their checksums, FIFOs, NUL characters, copies
// left by killed writers, WAL databases of another page size, and unreadable directories.

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
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "backup/server_fixture.hpp"
#include "management/checksum.hpp"
#include "management/device_file.hpp"
#include "management/device_format.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/management.hpp"

namespace ortiva::management {
namespace {

namespace fs = std::filesystem;
using testing::code;
using testing::error_of;
using testing::ServerDir;

Backup backup_job(const std::string& db, const std::string& device, bool initialize) {
    Backup job;
    job.initialize = initialize;
    job.database = db;
    job.devices = device;
    return job;
}

Restore restore_job(const std::string& db, const std::string& device, int32_t position) {
    Restore job;
    job.database = db;
    job.devices = device;
    job.file_number = position;
    return job;
}

// Runs body in a child process and returns its exit status, or -1 when it had to be killed:
// a call that blocks for ever fails the test instead of hanging it.
int in_child(const std::function<int()>& body, int timeout_seconds = 10) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(static_cast<unsigned>(timeout_seconds));
        int status = 99;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// 0 when call fails with expected, 1 with another error, 2 when it succeeds.
int child_expects(Error expected, const std::function<void()>& call) {
    const int32_t got = error_of(call);
    return got == code(expected) ? 0 : got == 0 ? 2 : 1;
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
        backup_job("shop", "D", true).run(*srv);
        testing::exec_sql(real / "shop.db", "INSERT INTO items VALUES('later')");
        restore_job("shop", "D", 1).run(*srv);

        EXPECT_EQ(testing::query_column(real / "shop.db", "SELECT name FROM items"),
                  std::vector<std::string>{"real"});
        EXPECT_EQ(testing::read_file(decoy / "shop.db"), decoy_bytes);
    }
}

class BackupDamage : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.make_database("A", {"a1", "a2", "a3"});
        srv_->connect(server_.dir.string(), "", "");
    }

    ServerDir server_;
    std::unique_ptr<Server> srv_ = create_server();
};

// Bytes of page 2 (the items table) or of the database header, changed in the stored image.
struct Alteration {
    const char* what;
    std::size_t offset;  // in the image; pages are 4096 bytes
    std::string bytes;
};

TEST_F(BackupDamage, AlteredImageWithRecomputedChecksumsIsRefusedBeforeTheRestore) {
    backup_job("A", "DISK1", true).run(*srv_);
    const std::string original = testing::read_file(server_.device());
    const Alteration alterations[] = {
        {"page type", 4096, std::string("\x05", 1)},
        {"cell count", 4096 + 3, std::string("\x00\x40", 2)},
        {"first cell pointer", 4096 + 8, std::string("\x00\x10", 2)},
        {"page count", 28, std::string("\x00\x00\x00\x09", 4)},
    };
    for (const Alteration& a : alterations) {
        SCOPED_TRACE(a.what);
        std::string bytes = original;
        testing::alter_first_image(bytes, [&](char* image, std::size_t) {
            std::copy(a.bytes.begin(), a.bytes.end(), image + a.offset);
        });
        testing::write_file(server_.device(), bytes);

        testing::exec_sql(server_.db("A"), "DELETE FROM items WHERE name = 'a2'");
        const std::string live = testing::read_file(server_.db("A"));
        EXPECT_EQ(error_of([&] { restore_job("A", "DISK1", 1).run(*srv_); }),
                  code(Error::backup_set_damaged));
        EXPECT_EQ(testing::read_file(server_.db("A")), live);
        testing::exec_sql(server_.db("A"), "INSERT INTO items(name) VALUES('a2')");
    }
    testing::write_file(server_.device(), original);
    restore_job("A", "DISK1", 1).run(*srv_);  // the unaltered set restores
    EXPECT_EQ(server_.items("A"), (std::vector<std::string>{"a1", "a2", "a3"}));
}

TEST_F(BackupDamage, DamagedSourceIsRefusedAtBackupTimeAndWritesNoSet) {
    backup_job("A", "DISK1", true).run(*srv_);
    server_.make_database("BAD", {"x", "y"});
    std::string bad = testing::read_file(server_.db("BAD"));
    bad[4096 + 3] = 0x00;  // page 2 claims 64 cells
    bad[4096 + 4] = 0x40;
    testing::write_file(server_.db("BAD"), bad);

    for (const bool initialize : {false, true}) {
        SCOPED_TRACE(initialize);
        const std::string device = testing::read_file(server_.device());
        EXPECT_EQ(error_of([&] { backup_job("BAD", "DISK1", initialize).run(*srv_); }),
                  code(Error::database_damaged));
        EXPECT_EQ(testing::read_file(server_.device()), device);
        EXPECT_EQ(srv_->backup_device("DISK1")->read_backup_header()->rows(), 1);
    }
    backup_job("A", "DISK1", false).run(*srv_);  // the device takes further sets
    EXPECT_EQ(srv_->backup_device("DISK1")->read_backup_header()->rows(), 2);
}

TEST(BackupHostile, FifosAreRefusedWithoutBlocking) {
    ServerDir server;
    server.make_database("A", {"a1"});
    {
        auto srv = create_server();
        srv->connect(server.dir.string(), "", "");
        backup_job("A", "DISK1", true).run(*srv);
    }
    auto with_server = [&](const std::function<void(Server&)>& f) {
        return [&server, f] {
            auto srv = create_server();
            srv->connect(server.dir.string(), "", "");
            f(*srv);
        };
    };
    const struct {
        const char* what;
        fs::path fifo;
        Error expected;
        std::function<void()> call;
    } cases[] = {
        {"device add", server.dir / "pipe.bak", Error::io,
         [&] { add_backup_device(server.dir, "P", "pipe.bak"); }},
        {"history", server.device(), Error::io,
         with_server([](Server& s) { s.backup_device("DISK1")->read_backup_header(); })},
        {"append", server.device(), Error::io,
         with_server([](Server& s) { backup_job("A", "DISK1", false).run(s); })},
        {"initialize", server.device(), Error::io,
         with_server([](Server& s) { backup_job("A", "DISK1", true).run(s); })},
        {"restore", server.device(), Error::io,
         with_server([](Server& s) { restore_job("A", "DISK1", 1).run(s); })},
        {"restore into", server.db("A"), Error::io,
         with_server([](Server& s) { restore_job("A", "TAPE1", 1).run(s); })},
    };
    with_server([](Server& s) { backup_job("A", "TAPE1", true).run(s); })();
    const std::string device = testing::read_file(server.device());
    const std::string database = testing::read_file(server.db("A"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(c.fifo);
        ASSERT_EQ(mkfifo(c.fifo.c_str(), 0644), 0) << std::strerror(errno);
        EXPECT_EQ(in_child([&] { return child_expects(c.expected, c.call); }), 0);
        EXPECT_TRUE(fs::is_fifo(c.fifo));
        fs::remove(c.fifo);
        testing::write_file(server.device(), device);
        testing::write_file(server.db("A"), database);
    }
    auto srv = create_server();
    srv->connect(server.dir.string(), "", "");
    EXPECT_EQ(srv->backup_devices().size(), 2u);  // "P" never reached the catalog
}

TEST(BackupHostile, InvalidNamesAndPathsAreRefusedBeforeAnythingIsWritten) {
    ServerDir server;
    const fs::path catalog = server.dir / "ortiva-devices.catalog";
    const std::string before = testing::read_file(catalog);
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"bad", std::string("a\0b.bak", 7)},
        {"bad", std::string("/tmp\0/x.bak", 11)},
        {"bad", "a\rb.bak"},
        {"bad", "a\tb.bak"},
        {"bad", ""},
        {std::string("a\0b", 3), "x.bak"},
        {"bad\r", "x.bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(error_of([&] { add_backup_device(server.dir, c.name, c.file); }),
                  code(Error::invalid_name));
        EXPECT_EQ(testing::read_file(catalog), before);
    }
    EXPECT_FALSE(fs::exists(server.dir / "a"));
    EXPECT_FALSE(fs::exists(server.dir / "x.bak"));

    // A path cut short at its NUL would reach another directory.
    const std::string cut = server.temp.path().string() + std::string("/s\0x", 4);
    EXPECT_EQ(error_of([&] { create_server_directory(cut); }), code(Error::invalid_name));
    EXPECT_FALSE(fs::exists(server.temp.path() / "s"));
    auto srv = create_server();
    EXPECT_EQ(error_of([&] { srv->connect(server.dir.string() + std::string("\0x", 2), "", ""); }),
              code(Error::invalid_name));
    srv->connect(server.dir.string(), "", "");
    EXPECT_EQ(srv->backup_devices().size(), 2u);
}

TEST(BackupHostile, CopiesLeftByAKilledInitializeAreRemovedOnlyWhenStale) {
    ServerDir server;
    server.make_database("A", {"a1"});
    auto leftovers = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(server.dir))
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
        start_device(server.device(), "DISK1", header, [](int fd, uint64_t offset) {
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
            fs::file_size(server.dir / leftovers().front()) < file_header_size + 8192))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_EQ(leftovers().size(), 1u) << "the killed initialize left no copy";

    // Beside it, files that are not stale copies of ours.
    const std::string device_head = encode_file_header();
    testing::write_file(server.dir / ".disk1.bak.Zz09aB", "");
    testing::write_file(server.dir / ".disk1.bak.notes1", "my own notes");
    testing::write_file(server.dir / ".disk1.bak.Lock3d", device_head + "in progress");
    testing::write_file(server.dir / ".disk1.bak.toolong7", device_head);
    testing::write_file(server.dir / ".ortiva-devices.catalog.Qw3rTy", "# Ortiva device cat");
    const int held = ::open((server.dir / ".disk1.bak.Lock3d").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);  // a writer at work

    create_server()->connect(server.dir.string(), "", "");
    EXPECT_EQ(leftovers(), (std::vector<std::string>{".disk1.bak.Lock3d", ".disk1.bak.notes1",
                                                     ".disk1.bak.toolong7"}))
        << "only unlocked copies that look like ours go";
    EXPECT_FALSE(fs::exists(server.dir / ".ortiva-devices.catalog.Qw3rTy"));

    // Once its writer is gone, the next write takes the copy too.
    ::close(held);
    auto srv = create_server();
    srv->connect(server.dir.string(), "", "");
    fs::remove(server.dir / ".disk1.bak.notes1");
    fs::remove(server.dir / ".disk1.bak.toolong7");
    testing::write_file(server.dir / ".disk1.bak.Lock3d", device_head);
    backup_job("A", "DISK1", false).run(*srv);
    EXPECT_TRUE(leftovers().empty());
    EXPECT_EQ(srv->backup_device("DISK1")->read_backup_header()->rows(), 1);
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
        backup_job("A", "DISK1", true).run(*srv);

        fs::remove(server.db("A"));
        testing::exec_sql(server.db("A"), "PRAGMA page_size=" + std::to_string(c.live_page) +
                                              "; PRAGMA journal_mode=WAL;" + schema +
                                              "INSERT INTO items(name) VALUES('live');");
        sqlite3* reader = nullptr;
        ASSERT_EQ(sqlite3_open(server.db("A").c_str(), &reader), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(reader, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(testing::query_column(reader, "SELECT name FROM items"),
                  std::vector<std::string>{"live"});

        try {
            restore_job("A", "DISK1", 1).run(*srv);
        } catch (const ErrorInfo& e) {
            ADD_FAILURE() << e.description();
        }
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
