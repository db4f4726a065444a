// ClsDBBackupRestore on each database engine through one context: runs, history, restores,
// damaged sets and missing databases behave alike; then what only a server has (credentials,
// a server that drops the backup's connection), and what only the class does (list views,
// strides, arrays), once. The PostgreSQL cases need the server that scripts/with-postgres.sh
// starts.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
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
#include "support/controls.hpp"

#ifdef ORTIVA_TEST_POSTGRES
#include <libpq-fe.h>
#endif

namespace ortiva {
namespace {

using management::Error;
using testing::code;
using testing::error_of;
using testing::list_view;
using testing::raised_by;

// The items a session of another client reads, kept open on a database across a restore.
using Session = std::function<std::vector<std::string>()>;

// A change to a set's image that its checksums, made to agree again, cannot show.
struct Alteration {
    const char* what;
    std::function<void(char* image, std::size_t size)> alter;
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
    virtual Session open_session(const std::string& name) = 0;
    /// Images the engine must refuse to restore though their checksums agree.
    virtual std::vector<Alteration> alterations() const = 0;

    std::filesystem::path catalog() const { return management::device_catalog_directory(server()); }
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
    Session open_session(const std::string& name) override {
        sqlite3* raw = nullptr;
        sqlite3_open(dir_.db(name).c_str(), &raw);
        const std::shared_ptr<sqlite3> c(raw, sqlite3_close);
        return [c] { return testing::query_column(c.get(), "SELECT name FROM items ORDER BY id"); };
    }
    std::vector<Alteration> alterations() const override {
        // Bytes of page 2 (the items table) or of the database header; pages are 4096 bytes.
        const auto put = [](std::size_t offset, std::string bytes) {
            return [=](char* image, std::size_t) {
                std::copy(bytes.begin(), bytes.end(), image + offset);
            };
        };
        return {{"page type", put(4096, std::string("\x05", 1))},
                {"cell count", put(4096 + 3, std::string("\x00\x40", 2))},
                {"first cell pointer", put(4096 + 8, std::string("\x00\x10", 2))},
                {"page count", put(28, std::string("\x00\x00\x00\x09", 4))}};
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
    Session open_session(const std::string& name) override {
        const std::shared_ptr<PGconn> c = user_session(name);
        return [c] { return pg_column(c.get(), "SELECT name FROM items ORDER BY id"); };
    }
    std::vector<Alteration> alterations() const override {
        // The archive's magic kept, what follows spoilt.
        return {{"contents",
                 [](char* image, std::size_t size) { std::fill(image + 5, image + size, 'x'); }}};
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

VariantArray names(std::initializer_list<std::string> list) {
    return VariantArray(std::vector<Variant>(list.begin(), list.end()));
}

VariantArray names(const EngineContext& ctx, std::initializer_list<const char*> list) {
    std::vector<Variant> items;
    for (const char* n : list)
        items.emplace_back(ctx.db(n));
    return VariantArray(std::move(items));
}

std::vector<std::string> header_texts(HostObject& lvw) {
    std::vector<std::string> out;
    const int32_t count = to_int32(object_of(lvw.get("ColumnHeaders"))->get("Count"));
    for (int16_t i = 1; i <= count; ++i)
        out.push_back(to_text(object_of(lvw.get("ColumnHeaders", {Variant(i)}))->get("Text")));
    return out;
}

// A headless runtime that records the class's messages.
class WithRuntime : public ::testing::Test {
  protected:
    const std::vector<HeadlessRuntime::Message>& messages() const { return runtime_->messages(); }

    std::shared_ptr<HeadlessRuntime> runtime_ = testing::quiet_runtime();
    ScopedHostRuntime scope_{runtime_};
};

class Engines : public WithRuntime, public ::testing::WithParamInterface<std::string> {
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
        ctx_->make_database("A", {"a1", "a2"});
        ctx_->make_database("B", {"b1"});
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
    ClsDBBackupRestore obj_;  // goes before the server it is connected to
};

TEST_P(Engines, RunsAreListedByStrideAndRestoredUnderAnOpenSession) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A", "B"})));
    ctx_->add_item("A", "a3");
    ctx_->add_item("B", "b2");
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", false, names(*ctx_, {"A", "B"})));

    const auto rows = header();
    ASSERT_EQ(rows->rows(), 4);
    ASSERT_EQ(rows->columns(), 19);
    for (int32_t r = 1; r <= 4; ++r) {
        EXPECT_EQ(rows->cell(r, 6), std::to_string(r));
        EXPECT_EQ(rows->cell(r, 10), ctx_->db(r % 2 ? "A" : "B"));
        EXPECT_EQ(rows->cell(r, 8), ctx_->login());
        EXPECT_NE(rows->cell(r, 11), "0");  // the engine's version
        EXPECT_GT(std::stoll(rows->cell(r, 14)), 0);
    }

    // One line per run, its first set's: start "yyyy-mm-dd hh:mm:ss" split into date and time.
    auto lvw = list_view(5);
    EXPECT_TRUE(obj.fnListBackupDetails(*lvw, "DISK1", names(*ctx_, {"A", "B"})));
    EXPECT_EQ(header_texts(*lvw),
              (std::vector<std::string>{"DataBase Name", "Date", "Time", "size", "Sl No"}));
    std::vector<std::vector<std::string>> expected;
    for (int32_t r : {1, 3}) {
        const std::string when = rows->cell(r, 18);
        ASSERT_EQ(when.size(), 19u) << when;
        const std::string date =
            when.substr(8, 2) + "/" + when.substr(5, 2) + "/" + when.substr(0, 4);
        expected.push_back(
            {ctx_->db("A"), date, when.substr(11), rows->cell(r, 13), std::to_string(r)});
    }
    EXPECT_EQ(testing::cells(*lvw), expected);

    ctx_->add_item("A", "late");
    ctx_->add_item("B", "late");
    const auto session = ctx_->open_session("A");
    EXPECT_EQ(session(), (std::vector<std::string>{"a1", "a2", "a3", "late"}));
    // The second run is sets 3 and 4; a restore trims the device text.
    ASSERT_TRUE(obj.fnRestoreDatabase(" DISK1 ", 3, names(*ctx_, {"A", "B"})));
    EXPECT_EQ(session(), (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(ctx_->items("B"), (std::vector<std::string>{"b1", "b2"}));
    EXPECT_TRUE(messages().empty());
}

TEST_P(Engines, DamagedSetFailsItsRestoreOnly) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A", "B"})));
    ctx_->add_item("A", "later");
    ctx_->add_item("B", "later");
    const auto rows = header();
    const auto device = ctx_->catalog() / "disk1.bak";
    std::string bytes = testing::read_file(device);
    bytes[std::stoull(rows->cell(1, 17)) + std::stoull(rows->cell(1, 14)) / 2] ^= 0x20;
    testing::write_file(device, bytes);

    EXPECT_EQ(error_of([&] { obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"A"})); }),
              code(Error::backup_set_damaged));
    EXPECT_EQ(ctx_->items("A"), (std::vector<std::string>{"a1", "a2", "later"}));
    // The set after it is still listed and sound.
    EXPECT_EQ(header()->rows(), 2);
    ASSERT_TRUE(obj.fnRestoreDatabase("DISK1", 2, names(*ctx_, {"B"})));
    EXPECT_EQ(ctx_->items("B"), (std::vector<std::string>{"b1"}));
}

TEST_P(Engines, ImageAlteredBehindItsChecksumsIsRefusedBeforeTheRestore) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names(*ctx_, {"A"})));
    ctx_->add_item("A", "later");
    const auto device = ctx_->catalog() / "disk1.bak";
    const std::string original = testing::read_file(device);
    for (const Alteration& a : ctx_->alterations()) {
        SCOPED_TRACE(a.what);
        std::string bytes = original;
        testing::alter_first_image(bytes, a.alter);
        testing::write_file(device, bytes);
        EXPECT_EQ(error_of([&] { obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"A"})); }),
                  code(Error::backup_set_damaged));
        EXPECT_EQ(ctx_->items("A"), (std::vector<std::string>{"a1", "a2", "later"}));
    }
    testing::write_file(device, original);
    ASSERT_TRUE(obj.fnRestoreDatabase("DISK1", 1, names(*ctx_, {"A"})));  // the unaltered set
    EXPECT_EQ(ctx_->items("A"), (std::vector<std::string>{"a1", "a2"}));
}

TEST_P(Engines, BadRequestsAreRefusedAndMissingDatabasesCreatedByRestores) {
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
    // Positions the device does not hold, and names that are not one database's.
    for (int32_t position : {0, 3})
        EXPECT_EQ(error_of([&] { obj.fnRestoreDatabase("DISK1", position, names(*ctx_, {"A"})); }),
                  code(Error::no_such_backup_set));
    for (const char* name : {"", "..", "../A", "x/y"})
        EXPECT_EQ(error_of([&] { obj.fnBackupDatabase("DISK1", false, names({name})); }),
                  code(Error::invalid_name))
            << name;
}

INSTANTIATE_TEST_SUITE_P(Backends, Engines, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

#ifdef ORTIVA_TEST_POSTGRES

class Postgres : public Engines {
  protected:
    PostgresContext& pg() { return static_cast<PostgresContext&>(*ctx_); }
};

TEST_P(Postgres, WrongCredentialsAndUnknownServerTextsAreRefused) {
    const ErrorInfo e =
        raised_by([&] { obj_.SetConnectionToServer(ctx_->server(), ctx_->login(), "wrong"); });
    EXPECT_EQ(e.number(), code(Error::server));
    EXPECT_NE(e.description().find("28P01"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("password authentication failed"), std::string::npos);
    for (const char* text :
         {"postgresql://", "postgresql://h:port", "postgresql://h?x=1",
          "postgresql://h?connect_timeout=0", "postgresql://h?connect_timeout=1s"})
        EXPECT_EQ(error_of([&] { obj_.SetConnectionToServer(text, "", ""); }),
                  code(Error::not_a_server))
            << text;
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
    const ErrorInfo e = raised_by([&] { obj.SetConnectionToServer(server, "nobody", "secret"); });
    EXPECT_EQ(e.number(), code(Error::server));
    EXPECT_NE(e.description().find("connect_timeout"), std::string::npos) << e.description();
    ::close(listener);
}

INSTANTIATE_TEST_SUITE_P(Server, Postgres, ::testing::Values("postgres"),
                         [](const auto& info) { return info.param; });

#endif

// What only the class does, on a server directory.
class BackupClass : public WithRuntime {
  protected:
    void SetUp() override {
        server_.make_database("A", {"a1", "a2"});
        server_.make_database("B", {"b1"});
    }

    ClsDBBackupRestore& connected() {
        obj_.SetConnectionToServer(server_.dir.string(), "operator", "secret");
        return obj_;
    }

    testing::ServerDir server_;
    ClsDBBackupRestore obj_;
};

// Each line is the first set of a run of as many sets as names are given.
TEST_F(BackupClass, ListsTheFirstSetOfEveryRun) {
    auto& obj = connected();
    const struct {
        int runs_of_two;    // runs of A, B backed up
        bool extra_single;  // one more set (A) after them
        std::size_t names;
        std::vector<std::string> sl_no;
    } cases[] = {{3, false, 2, {"1", "3", "5"}},
                 {3, false, 3, {"1", "4"}},
                 {2, true, 2, {"1", "3", "5"}},
                 {2, true, 1, {"1", "2", "3", "4", "5"}}};
    for (const auto& c : cases) {
        for (int i = 0; i < c.runs_of_two; ++i)
            ASSERT_TRUE(obj.fnBackupDatabase("DISK1", i == 0, names({"A", "B"})));
        if (c.extra_single) {
            ASSERT_TRUE(obj.fnBackupDatabase("DISK1", false, names({"A"})));
        }
        auto lvw = list_view(5);
        EXPECT_TRUE(obj.fnListBackupDetails(
            *lvw, "DISK1", VariantArray(std::vector<Variant>(c.names, Variant("A")))));
        std::vector<std::string> sl_no;
        for (const auto& line : testing::cells(*lvw))
            sl_no.push_back(line[4]);
        EXPECT_EQ(sl_no, c.sl_no) << c.runs_of_two << " runs, " << c.names << " names";
    }
}

TEST_F(BackupClass, ListingRefusesBadListViewsAndEmptyDatabaseArrays) {
    auto& obj = connected();
    auto empty = list_view(5);  // a device without sets lists nothing, silently
    EXPECT_FALSE(obj.fnListBackupDetails(*empty, "DISK1", names({"A"})));
    EXPECT_TRUE(messages().empty());
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A"})));
    for (int columns : {4, 6}) {
        auto lvw = list_view(columns);
        object_of(lvw->get("ListItems"))
            ->call("Add", {Variant::missing(), Variant::missing(), Variant("kept")});
        runtime_->reset_records();
        EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "DISK1", names({"A"})));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].prompt, "The Column in the listview should be 5");
        EXPECT_EQ(messages()[0].style, 64);
        EXPECT_TRUE(messages()[0].title.is_missing());
        EXPECT_EQ(header_texts(*lvw)[0], "Col1");
        EXPECT_EQ(testing::cells(*lvw).size(), 1u);
    }

    // A stride of 0 would list set 1 until the line counter overflows: refused at once.
    auto lvw = list_view(5);
    runtime_->reset_records();
    EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "DISK1", VariantArray(std::vector<Variant>{})));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt.rfind("The list of databases is empty", 0), 0u);
    EXPECT_EQ(header_texts(*lvw)[0], "Col1");

    runtime_->reset_records();
    EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "DISK1", VariantArray()));  // never given elements
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt, "9Subscript out of range");
}

// The stride is checked before anything else, in a range that cannot wrap: an upper bound
// of 2^31-1 is an overflow, not a wrapped negative stride.
TEST_F(BackupClass, OversizedStridesAreOverflowsBeforeAnythingIsListed) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A"})));
    const struct {
        int32_t upper;
        bool listed;
    } cases[] = {
        {32765, true}, {32767, false}, {65535, false}, {2147483646, false}, {2147483647, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.upper);
        // Only the upper bound counts, so one element stands for 2^31 names.
        const VariantArray arr = VariantArray::with_bounds({{c.upper, c.upper}});
        auto lvw = list_view(5);
        runtime_->reset_records();
        EXPECT_EQ(obj.fnListBackupDetails(*lvw, "DISK1", arr), c.listed);
        if (c.listed) {
            EXPECT_TRUE(messages().empty()) << messages()[0].prompt;
            EXPECT_EQ(testing::cells(*lvw).size(), 1u);
        } else {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].prompt, "6Overflow");
            EXPECT_EQ(header_texts(*lvw)[0], "Col1");  // refused before the list view was touched
        }
    }
}

// Where a run stops at a failing name is the engine suite's missing-database case.
TEST_F(BackupClass, BadArraysAreRefusedAndEmptyOnesDoNothing) {
    auto& obj = connected();
    ASSERT_TRUE(obj.fnBackupDatabase("DISK1", true, names({"A"})));
    const std::string before = testing::read_file(server_.device());
    for (const VariantArray& bad : {VariantArray(), VariantArray({Variant("A")}, 1),
                                    VariantArray::with_bounds({{0, 0}, {0, 0}})}) {
        EXPECT_EQ(error_of([&] { obj.fnBackupDatabase("DISK1", true, bad); }), err::subscript);
    }
    EXPECT_TRUE(obj.fnBackupDatabase("DISK1", true, VariantArray(std::vector<Variant>{})));
    EXPECT_TRUE(obj.fnRestoreDatabase("DISK1", 1, VariantArray(std::vector<Variant>{})));
    EXPECT_EQ(testing::read_file(server_.device()), before);
}

TEST_F(BackupClass, ListsDevicesWithAndWithoutTheTapeFilter) {
    auto& obj = connected();
    auto combo = memory::create_control("ComboBox", "cboDevice");
    combo->call("AddItem", {Variant("stale")});
    obj.ListBackupDevice(*combo, false);
    EXPECT_EQ(testing::entries(*combo), (std::vector<std::string>{"DISK1", "TAPE1"}));
    obj.ListBackupDevice(*combo, true);
    EXPECT_EQ(testing::entries(*combo), (std::vector<std::string>{"TAPE1"}));
}

// The backend's errors are thrown by number, or shown by number then description by the
// listing, before connecting and for an unknown device.
TEST_F(BackupClass, BackendErrorsAreThrownOrShownByNumberThenDescription) {
    const auto expect_error = [&](Error expected, auto&& call) {
        const ErrorInfo e = raised_by(call);
        EXPECT_EQ(e.number(), code(expected));
        EXPECT_EQ(e.source(), "Ortiva.Management");
    };
    // Not connected: it goes at the end unconnected, and its failing disconnect must not escape.
    ClsDBBackupRestore unconnected;
    auto combo = memory::create_control("ComboBox", "cboDevice");
    const std::string device_before = testing::read_file(server_.device());
    expect_error(Error::not_connected, [&] { unconnected.ListBackupDevice(*combo, false); });
    expect_error(Error::not_connected,
                 [&] { unconnected.fnBackupDatabase("DISK1", true, names({"A"})); });
    expect_error(Error::not_connected,
                 [&] { unconnected.fnRestoreDatabase("DISK1", 1, names({"A"})); });
    EXPECT_EQ(testing::read_file(server_.device()), device_before);
    auto lvw = list_view(5);
    EXPECT_FALSE(unconnected.fnListBackupDetails(*lvw, "DISK1", names({"A"})));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].prompt, std::to_string(code(Error::not_connected)) +
                                        "The server object is not connected to a server.");
    const ErrorInfo e = raised_by([&] {
        unconnected.SetConnectionToServer((server_.temp.path() / "nowhere").string(), "u", "p");
    });
    EXPECT_EQ(e.number(), code(Error::not_a_server));
    EXPECT_NE(e.description().find("nowhere"), std::string::npos);

    auto& obj = connected();
    object_of(lvw->get("ListItems"))
        ->call("Add", {Variant::missing(), Variant::missing(), Variant("stale")});
    runtime_->reset_records();
    EXPECT_FALSE(obj.fnListBackupDetails(*lvw, "NOPE", names({"A"})));
    ASSERT_EQ(messages().size(), 1u);
    const std::string expected =
        std::to_string(code(Error::no_such_device)) + "Backup device 'NOPE'";
    EXPECT_EQ(messages()[0].prompt.rfind(expected, 0), 0u) << messages()[0].prompt;
    EXPECT_EQ(messages()[0].style, 64);
    EXPECT_EQ(header_texts(*lvw)[4], "Sl No");
    EXPECT_TRUE(testing::cells(*lvw).empty());
    expect_error(Error::no_such_device, [&] { obj.fnBackupDatabase("NOPE", true, names({"A"})); });
    // The backup does not trim the device name.
    expect_error(Error::no_such_device,
                 [&] { obj.fnBackupDatabase(" DISK1", true, names({"A"})); });
}

}  // namespace
}  // namespace ortiva
