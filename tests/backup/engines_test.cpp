// ClsDBBackupRestore on each database engine through one context: runs, history, restores,
// damaged sets and missing databases behave alike; then what only a server has (credentials,
// a server that drops the backup's connection). The PostgreSQL cases need the server that
// scripts/with-postgres.sh starts.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "backup/server_fixture.hpp"
#include "management/errors.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/memory_controls.hpp"

#ifdef ORTIVA_TEST_POSTGRES
#include <libpq-fe.h>
#endif

namespace ortiva {
namespace {

using management::Error;
using testing::code;
using testing::error_of;

// A session of another client, kept open on a database across a restore.
class Session {
  public:
    virtual ~Session() = default;
    virtual std::vector<std::string> items() = 0;
};

// One engine's server as the tests see it: the server text, databases with a table
// items(id, name), and the other sessions.
class EngineContext {
  public:
    virtual ~EngineContext() = default;
    virtual std::string server() const = 0;
    virtual std::string login() const = 0;
    virtual std::string password() const = 0;
    /// The engine's name of the test's database "A", "B", ...
    virtual std::string db(const std::string& name) const = 0;
    virtual void make_database(const std::string& name, const std::vector<std::string>& items) = 0;
    virtual void add_item(const std::string& name, const std::string& item) = 0;
    virtual std::vector<std::string> items(const std::string& name) = 0;
    virtual std::unique_ptr<Session> open_session(const std::string& name) = 0;

    std::filesystem::path catalog() const { return management::device_catalog_directory(server()); }
};

class SqliteSession final : public Session {
  public:
    explicit SqliteSession(const std::filesystem::path& file) { sqlite3_open(file.c_str(), &db_); }
    ~SqliteSession() override { sqlite3_close(db_); }
    std::vector<std::string> items() override {
        return testing::query_column(db_, "SELECT name FROM items ORDER BY id");
    }

  private:
    sqlite3* db_ = nullptr;
};

class SqliteContext final : public EngineContext {
  public:
    std::string server() const override { return dir_.dir.string(); }
    std::string login() const override { return "operator"; }
    std::string password() const override { return ""; }
    std::string db(const std::string& name) const override { return name; }
    void make_database(const std::string& name, const std::vector<std::string>& items) override {
        dir_.make_database(name, items);
    }
    void add_item(const std::string& name, const std::string& item) override {
        testing::exec_sql(dir_.db(name), "INSERT INTO items(name) VALUES('" + item + "')");
    }
    std::vector<std::string> items(const std::string& name) override { return dir_.items(name); }
    std::unique_ptr<Session> open_session(const std::string& name) override {
        return std::make_unique<SqliteSession>(dir_.db(name));
    }

  private:
    testing::ServerDir dir_;
};

#ifdef ORTIVA_TEST_POSTGRES

struct PgFinish {
    void operator()(PGconn* c) const { PQfinish(c); }
};
using PgConn = std::unique_ptr<PGconn, PgFinish>;

// The value of key in an ODBC-style "Key=value;..." text.
std::string odbc_value(const std::string& text, const std::string& key) {
    const auto at = text.find(key + "=");
    if (at == std::string::npos) return {};
    const auto start = at + key.size() + 1;
    return text.substr(start, text.find(';', start) - start);
}

PgConn pg_connect(const std::string& host, const std::string& port, const std::string& db,
                  const std::string& user, const std::string& password) {
    const char* keys[] = {"host", "port", "dbname", "user", "password", nullptr};
    const char* values[] = {host.c_str(),
                            port.c_str(),
                            db.c_str(),
                            user.c_str(),
                            password.empty() ? nullptr : password.c_str(),
                            nullptr};
    PgConn c(PQconnectdbParams(keys, values, 0));
    if (PQstatus(c.get()) != CONNECTION_OK)
        throw std::runtime_error("connecting to " + db + ": " + PQerrorMessage(c.get()));
    PQsetNoticeProcessor(
        c.get(), [](void*, const char*) {}, nullptr);
    return c;
}

std::vector<std::string> pg_column(PGconn* c, const std::string& sql) {
    std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(c, sql.c_str()), PQclear);
    const auto status = PQresultStatus(r.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        throw std::runtime_error(sql + ": " + PQerrorMessage(c));
    std::vector<std::string> out;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        out.push_back(PQgetvalue(r.get(), i, 0));
    return out;
}

class PgSession final : public Session {
  public:
    explicit PgSession(PgConn c) : c_(std::move(c)) {}
    std::vector<std::string> items() override {
        return pg_column(c_.get(), "SELECT name FROM items ORDER BY id");
    }

  private:
    PgConn c_;
};

class PostgresContext final : public EngineContext {
  public:
    PostgresContext() {
        const char* connect = std::getenv("ORTIVA_PG_CONNECT");
        if (!connect) return;
        host_ = odbc_value(connect, "Server");
        port_ = odbc_value(connect, "Port");
        user_ = std::getenv("ORTIVA_PG_USER");
        password_ = std::getenv("ORTIVA_PG_PASSWORD");
        admin_ = pg_connect(host_, port_, "postgres", "postgres", "");
        // Runs side by side may race to grant it; the loser's failure changes nothing.
        if (pg_column(admin_.get(),
                      "SELECT 1 FROM pg_roles WHERE rolname = '" + user_ + "' AND rolcreatedb")
                .empty())
            PQclear(PQexec(admin_.get(), ("ALTER ROLE " + user_ + " CREATEDB").c_str()));
        management::add_backup_device(catalog(), "DISK1", "disk1.bak");
    }
    ~PostgresContext() override {
        if (!admin_) return;
        for (const char* name : {"A", "B", "NEW"})
            PQclear(PQexec(admin_.get(),
                           ("DROP DATABASE IF EXISTS " + db(name) + " WITH (FORCE)").c_str()));
    }
    bool available() const { return admin_ != nullptr; }
    PgConn admin_session(const std::string& name) const {
        return pg_connect(host_, port_, db(name), "postgres", "");
    }
    PGconn* admin() { return admin_.get(); }

    std::string server() const override {
        return "postgresql://" + host_ + ":" + port_ + "?devices=" + devices_.path().string();
    }
    std::string login() const override { return user_; }
    std::string password() const override { return password_; }
    // Unique per process, so that runs side by side on one server keep apart.
    std::string db(const std::string& name) const override {
        std::string lower;
        for (char c : name)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return "bk_" + lower + "_" + std::to_string(::getpid());
    }
    void make_database(const std::string& name, const std::vector<std::string>& items) override {
        pg_column(admin_.get(), "DROP DATABASE IF EXISTS " + db(name) + " WITH (FORCE)");
        pg_column(admin_.get(), "CREATE DATABASE " + db(name) + " OWNER " + user_);
        std::string sql = "CREATE TABLE items(id serial PRIMARY KEY, name text);";
        for (const auto& item : items)
            sql += "INSERT INTO items(name) VALUES('" + item + "');";
        pg_column(user_session(name).get(), sql);
    }
    void add_item(const std::string& name, const std::string& item) override {
        pg_column(user_session(name).get(), "INSERT INTO items(name) VALUES('" + item + "')");
    }
    std::vector<std::string> items(const std::string& name) override {
        return pg_column(user_session(name).get(), "SELECT name FROM items ORDER BY id");
    }
    std::unique_ptr<Session> open_session(const std::string& name) override {
        return std::make_unique<PgSession>(user_session(name));
    }

  private:
    PgConn user_session(const std::string& name) const {
        return pg_connect(host_, port_, db(name), user_, password_);
    }

    std::string host_, port_, user_, password_;
    PgConn admin_;
    testing::TempDir devices_;
};

#endif

VariantArray names(const EngineContext& ctx, std::initializer_list<const char*> list) {
    std::vector<Variant> items;
    for (const char* n : list)
        items.emplace_back(ctx.db(n));
    return VariantArray(std::move(items));
}

class Engines : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam() == "sqlite") {
            ctx_ = std::make_unique<SqliteContext>();
        } else {
#ifdef ORTIVA_TEST_POSTGRES
            auto pg = std::make_unique<PostgresContext>();
            if (!pg->available())
                GTEST_SKIP() << "ORTIVA_PG_CONNECT is not set: run under scripts/with-postgres.sh";
            ctx_ = std::move(pg);
#else
            GTEST_SKIP() << "built without libpq";
#endif
        }
        runtime_ = std::make_shared<HeadlessRuntime>();
        runtime_->set_echo(false);
        set_host_runtime(runtime_);
        ctx_->make_database("A", {"a1", "a2"});
        ctx_->make_database("B", {"b1"});
    }
    void TearDown() override {
        set_host_runtime(nullptr);
    }

    ClsDBBackupRestore& connected() {
        obj_.SetConnectionToServer(ctx_->server(), ctx_->login(), ctx_->password());
        return obj_;
    }

    std::unique_ptr<management::BackupHeader> header() {
        auto server = management::create_server();
        server->connect(ctx_->server(), ctx_->login(), ctx_->password());
        return server->backup_device("DISK1")->read_backup_header();
    }

    std::unique_ptr<EngineContext> ctx_;
    std::shared_ptr<HeadlessRuntime> runtime_;
    ClsDBBackupRestore obj_;
};

TEST_P(Engines, RunsAreListedByStrideAndRunOneRestoresUnderAnOpenSession) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A", "B"})));
    ctx_->add_item("A", "a3");
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", false, names(*ctx_, {"A", "B"})));

    const auto rows = header();
    ASSERT_EQ(rows->rows(), 4);
    ASSERT_EQ(rows->columns(), 19);
    for (int32_t r = 1; r <= 4; ++r) {
        EXPECT_EQ(rows->cell(r, 6), std::to_string(r));
        EXPECT_EQ(rows->cell(r, 10), ctx_->db(r % 2 ? "A" : "B"));
        EXPECT_EQ(rows->cell(r, 8), ctx_->login());
        EXPECT_NE(rows->cell(r, 11), "0");  // the engine's version
        EXPECT_EQ(rows->cell(r, 18).size(), 19u);
        EXPECT_GT(std::stoll(rows->cell(r, 14)), 0);
    }

    auto lvw = memory::create_control("ListView", "lvw");
    auto columns = object_of(lvw->get("ColumnHeaders"));
    for (int i = 0; i < 5; ++i)
        columns->call("Add", {Variant::missing(), Variant::missing(), Variant("h")});
    EXPECT_TRUE(obj.fnListBackupDetails(*lvw, "DISK1", names(*ctx_, {"A", "B"})));
    auto items = object_of(lvw->get("ListItems"));
    ASSERT_EQ(to_int32(items->get("Count")), 2);
    for (int32_t k = 1; k <= 2; ++k) {
        auto item = object_of(items->get("", {Variant(k)}));
        EXPECT_EQ(to_text(item->get("Text")), ctx_->db("A"));
        EXPECT_EQ(to_text(item->get("SubItems", {Variant(int16_t{4})})), k == 1 ? "1" : "3");
    }

    const auto session = ctx_->open_session("A");
    EXPECT_EQ(session->items(), (std::vector<std::string>{"a1", "a2", "a3"}));
    ASSERT_TRUE(obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"A", "B"})));
    EXPECT_EQ(session->items(), (std::vector<std::string>{"a1", "a2"}));
    EXPECT_EQ(ctx_->items("B"), (std::vector<std::string>{"b1"}));
    EXPECT_TRUE(runtime_->messages().empty());
}

TEST_P(Engines, DamagedSetIsRefusedAndTheDatabaseKept) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A"})));
    ctx_->add_item("A", "later");
    const auto rows = header();
    const auto device = ctx_->catalog() / "disk1.bak";
    std::string bytes = testing::read_file(device);
    bytes[std::stoull(rows->cell(1, 17)) + std::stoull(rows->cell(1, 14)) / 2] ^= 0x20;
    testing::write_file(device, bytes);

    EXPECT_EQ(error_of([&] { obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"A"})); }),
              code(Error::backup_set_damaged));
    EXPECT_EQ(ctx_->items("A"), (std::vector<std::string>{"a1", "a2", "later"}));
}

TEST_P(Engines, MissingDatabasesFailBackupsAndAreCreatedByRestores) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A"})));
    // The run stops at the missing database; the set before it stays.
    EXPECT_EQ(error_of([&] {
                  obj.fnBackupDatabase("DISK1", false, names(*ctx_, {"B", "NEW", "A"}));
              }),
              code(Error::no_such_database));
    const auto rows = header();
    ASSERT_EQ(rows->rows(), 2);
    EXPECT_EQ(rows->cell(2, 10), ctx_->db("B"));

    obj_.fnRestoreDatabase("DISK1", 2, names(*ctx_, {"NEW"}));
    EXPECT_EQ(ctx_->items("NEW"), (std::vector<std::string>{"b1"}));
    // A set of another database over an existing one is refused unless asked for.
    EXPECT_EQ(error_of([&] { obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"B"})); }),
              code(Error::database_mismatch));
    EXPECT_EQ(ctx_->items("B"), (std::vector<std::string>{"b1"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, Engines, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

#ifdef ORTIVA_TEST_POSTGRES

class Postgres : public Engines {
  protected:
    PostgresContext& pg() { return static_cast<PostgresContext&>(*ctx_); }
};

TEST_P(Postgres, WrongCredentialsAndUnknownServerTextsAreRefused) {
    try {
        obj_.SetConnectionToServer(ctx_->server(), ctx_->login(), "wrong");
        FAIL() << "connected with a wrong password";
    } catch (const ErrorInfo& e) {
        EXPECT_EQ(e.number(), code(Error::server));
        EXPECT_NE(e.description().find("28P01"), std::string::npos) << e.description();
        EXPECT_NE(e.description().find("password authentication failed"), std::string::npos);
    }
    for (const char* text :
         {"postgresql://", "postgresql://h:port", "postgresql://h?x=1",
          "postgresql://h?connect_timeout=0", "postgresql://h?connect_timeout=1s"})
        EXPECT_EQ(error_of([&] { obj_.SetConnectionToServer(text, "", ""); }),
                  code(Error::not_a_server))
            << text;
}

TEST_P(Postgres, RestoreOfAnArchiveWithoutContentsTouchesNothing) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A"})));
    // Keep the archive's magic, spoil what follows, and make the checksums agree again.
    const auto device = ctx_->catalog() / "disk1.bak";
    std::string bytes = testing::read_file(device);
    testing::alter_first_image(
        bytes, [](char* image, std::size_t size) { std::fill(image + 5, image + size, 'x'); });
    testing::write_file(device, bytes);
    ctx_->add_item("A", "later");

    EXPECT_EQ(error_of([&] { obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"A"})); }),
              code(Error::backup_set_damaged));
    EXPECT_EQ(ctx_->items("A"), (std::vector<std::string>{"a1", "a2", "later"}));
}

// The server drops the dump's connection while pg_dump waits for a table lock.
TEST_P(Postgres, ABackupCutOffByTheServerLeavesTheEarlierSets) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"B"})));
    const auto before = testing::read_file(ctx_->catalog() / "disk1.bak");

    // Hold a lock that pg_dump waits for, then end its connection from the server's side.
    const PgConn holder = pg().admin_session("A");
    pg_column(holder.get(), "BEGIN; LOCK TABLE items IN ACCESS EXCLUSIVE MODE");
    auto backup = std::async(std::launch::async, [&] {
        return error_of([&] { obj.fnBackupDatabase("DISK1", false, names(*ctx_, {"A"})); });
    });
    std::vector<std::string> ended;
    for (int i = 0; i < 600 && ended.empty(); ++i) {
        ended =
            pg_column(pg().admin(),
                      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                          ctx_->db("A") + "' AND wait_event_type = 'Lock'");
        if (ended.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pg_column(holder.get(), "ROLLBACK");
    ASSERT_FALSE(ended.empty()) << "the backup never waited for the lock";
    EXPECT_EQ(backup.get(), code(Error::server_program));
    EXPECT_EQ(testing::read_file(ctx_->catalog() / "disk1.bak"), before);
}

// A server that accepts the connection and never answers ends the call at connect_timeout
// instead of hanging it (the kernel completes the handshake; nobody reads the startup).
TEST(PostgresServerText, AServerThatNeverAnswersEndsTheCallAtItsTimeout) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const testing::ServerDir devices;
    const std::string server = "postgresql://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                               "?devices=" + devices.dir.string() + "&connect_timeout=1";
    ClsDBBackupRestore obj;
    try {
        obj.SetConnectionToServer(server, "nobody", "secret");
        ADD_FAILURE() << "connected to a server that never answers";
    } catch (const ErrorInfo& e) {
        EXPECT_EQ(e.number(), code(Error::server));
        EXPECT_NE(e.description().find("connect_timeout"), std::string::npos) << e.description();
    }
    ::close(listener);
}

INSTANTIATE_TEST_SUITE_P(Server, Postgres, ::testing::Values("postgres"),
                         [](const auto& info) { return info.param; });

#endif

}  // namespace
}  // namespace ortiva
