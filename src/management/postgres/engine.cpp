#include <libpq-fe.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "management/checksum.hpp"
#include "management/errors.hpp"
#include "management/postgres/program.hpp"
#include "management/server.hpp"

namespace ortiva::management::postgres {

namespace {

// postgresql://[USER[:PASSWORD]@]HOST[:PORT][/DBNAME][?devices=DIR][&connect_timeout=SECONDS]
struct ServerText {
    std::string user, password, host, port = "5432", dbname = "postgres";
    std::filesystem::path devices;
    int connect_timeout = 30;  // a server that accepts and never answers must not hang a call
};

std::string percent_decoded(std::string_view text, const std::string& server) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const auto hex = [&](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int hi = i + 2 < text.size() ? hex(text[i + 1]) : -1;
        const int lo = hi >= 0 ? hex(text[i + 2]) : -1;
        if (lo < 0 || (hi == 0 && lo == 0)) fail(Error::not_a_server, {server});
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::filesystem::path default_devices(const ServerText& t) {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path base = data && *data   ? std::filesystem::path(data)
                                 : home && *home ? std::filesystem::path(home) / ".local" / "share"
                                                 : std::filesystem::path(".");
    std::string name = t.host + "-" + t.port;
    for (char& c : name)
        if (c == '/') c = '_';
    return base / "ortiva" / "postgres" / name;
}

ServerText parse(const std::string& server) {
    std::string_view rest(server);
    rest.remove_prefix(rest.find("://") + 3);
    ServerText t;
    std::string_view query;
    if (const auto q = rest.find('?'); q != std::string_view::npos) {
        query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    if (const auto slash = rest.find('/'); slash != std::string_view::npos) {
        if (slash + 1 < rest.size()) t.dbname = percent_decoded(rest.substr(slash + 1), server);
        rest = rest.substr(0, slash);
    }
    if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
        const std::string_view info = rest.substr(0, at);
        const auto colon = info.find(':');
        t.user = percent_decoded(info.substr(0, colon), server);
        if (colon != std::string_view::npos)
            t.password = percent_decoded(info.substr(colon + 1), server);
        rest = rest.substr(at + 1);
    }
    std::string_view host = rest;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos) fail(Error::not_a_server, {server});
        t.host = std::string(host.substr(1, close - 1));
        host = host.substr(close + 1);
        if (!host.empty() && host.front() != ':') fail(Error::not_a_server, {server});
        if (!host.empty()) t.port = std::string(host.substr(1));
    } else {
        const auto colon = host.find(':');
        t.host = percent_decoded(host.substr(0, colon), server);
        if (colon != std::string_view::npos) t.port = std::string(host.substr(colon + 1));
    }
    if (t.host.empty() || t.port.empty() ||
        t.port.find_first_not_of("0123456789") != std::string::npos)
        fail(Error::not_a_server, {server});
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.starts_with("devices=")) {
            t.devices = percent_decoded(pair.substr(8), server);
        } else if (pair.starts_with("connect_timeout=")) {
            const std::string_view digits = pair.substr(16);
            int seconds = 0;
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
            if (ec != std::errc() || end != digits.data() + digits.size() || seconds < 1 ||
                seconds > 3600)
                fail(Error::not_a_server, {server});
            t.connect_timeout = seconds;
        } else {
            fail(Error::not_a_server, {server});
        }
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    }
    if (t.devices.empty()) t.devices = default_devices(t);
    return t;
}

void ensure_catalog(const std::filesystem::path& dir) {
    if (is_server_directory(dir)) return;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) fail_io("Creating the directory", dir.string(), ec.value());
    write_catalog(dir, {});
}

struct Finish {
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct Clear {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Conn = std::unique_ptr<PGconn, Finish>;
using Result = std::unique_ptr<PGresult, Clear>;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// A verbose connection error reads "FATAL:  28P01: password authentication failed ...";
// failures on the client's side carry no SQLSTATE and count as "could not connect".
[[noreturn]] void fail_connect(const std::string& server_name, PGconn* conn) {
    std::string text = trimmed(conn ? PQerrorMessage(conn) : "out of memory");
    std::string state = "08001";
    if (const auto mark = text.find(":  ");
        mark != std::string::npos && text.size() > mark + 9 && text[mark + 8] == ':') {
        const std::string code = text.substr(mark + 3, 5);
        if (code.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos) {
            state = code;
            text = text.substr(0, mark + 3) + text.substr(mark + 10);
        }
    }
    if (const auto location = text.find("\nLOCATION:"); location != std::string::npos)
        text.resize(location);
    fail(Error::server, {server_name, text, state});
}

class PostgresEngine final : public Engine {
  public:
    PostgresEngine(ServerText text, std::string server_name, const std::string& login,
                   const std::string& password)
        : text_(std::move(text)), server_name_(std::move(server_name)) {
        if (!login.empty()) text_.user = login;
        if (!password.empty()) text_.password = password;
        conn_ = open(text_.dbname);
        text_.user = PQuser(conn_.get());
    }

    const std::string& user() const { return text_.user; }

    bool database_exists(const std::string& database) override {
        return PQntuples(query("SELECT 1 FROM pg_database WHERE datname = $1", database).get()) > 0;
    }

    uint32_t version() override { return static_cast<uint32_t>(PQserverVersion(conn_.get())); }

    std::string now() override {
        return PQgetvalue(query("SELECT to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS')").get(), 0,
                          0);
    }

    WrittenImage write_image(const std::string& database, int fd, uint64_t offset) override {
        WrittenImage image;
        uint32_t crc = 0;
        const ProgramResult result =
            run_program(program({"pg_dump", "--format=custom", "--no-password",
                                 "--dbname=" + target(database)}),
                        {}, [&](const char* data, std::size_t n) {
                            crc = crc32c(crc, data, n);
                            write_all(fd, offset + image.size, data, n);
                            image.size += n;
                        });
        if (result.status != 0) fail(Error::server_program, {"pg_dump", database, result.errors});
        image.crc = crc;
        return image;
    }

    std::string image_problem(const VerifiedSet& set, const std::string&) override {
        static constexpr char magic[] = {'P', 'G', 'D', 'M', 'P'};
        char start[sizeof magic] = {};
        if (set.file.read_at(set.image_offset(), start, sizeof start) != sizeof start ||
            std::memcmp(start, magic, sizeof magic) != 0)
            return "it does not hold a PostgreSQL archive";
        // The archive's own table of contents must read back before anything is dropped.
        const ProgramResult result =
            run_program(program({"pg_restore", "--list"}), image_reader(set), {});
        if (result.status != 0) return "its archive's table of contents: " + result.errors;
        return {};
    }

    void restore_image(const VerifiedSet& set, const std::string& database, bool create) override {
        if (create) exec("CREATE DATABASE " + identifier(database));
        const ProgramResult result =
            run_program(program({"pg_restore", "--no-password", "--single-transaction", "--clean",
                                 "--if-exists", "--dbname=" + target(database)}),
                        image_reader(set), {});
        if (result.status == 0) return;
        if (create) {
            try {
                exec("DROP DATABASE IF EXISTS " + identifier(database));
            } catch (...) {
            }
        }
        fail(Error::server_program, {"pg_restore", database, result.errors});
    }

  private:
    Conn open(const std::string& dbname) const {
        const char* keys[] = {
            "host", "port", "dbname", "user", "password", "fallback_application_name", nullptr};
        const char* values[] = {text_.host.c_str(),
                                text_.port.c_str(),
                                dbname.c_str(),
                                text_.user.empty() ? nullptr : text_.user.c_str(),
                                text_.password.empty() ? nullptr : text_.password.c_str(),
                                "ortiva",
                                nullptr};
        Conn conn(PQconnectStartParams(keys, values, 0));
        if (!conn) fail_connect(server_name_, nullptr);
        // Verbose errors carry the server's SQLSTATE.
        PQsetErrorVerbosity(conn.get(), PQERRORS_VERBOSE);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(text_.connect_timeout);
        PostgresPollingStatusType state = PGRES_POLLING_WRITING;
        while (PQstatus(conn.get()) != CONNECTION_BAD && state != PGRES_POLLING_OK &&
               state != PGRES_POLLING_FAILED) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const short events = state == PGRES_POLLING_READING ? POLLIN : POLLOUT;
            pollfd p{PQsocket(conn.get()), events, 0};
            const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
            if (ready == 0)
                fail(Error::server, {server_name_,
                                     "no answer within " + std::to_string(text_.connect_timeout) +
                                         " s (connect_timeout)",
                                     "08001"});
            if (ready < 0 && errno != EINTR) break;
            state = PQconnectPoll(conn.get());
        }
        if (PQstatus(conn.get()) != CONNECTION_OK) fail_connect(server_name_, conn.get());
        PQsetErrorVerbosity(conn.get(), PQERRORS_DEFAULT);
        return conn;
    }

    Result query(const char* sql, const std::string& param = {}) {
        const char* values[] = {param.c_str()};
        Result r(PQexecParams(conn_.get(), sql, param.empty() ? 0 : 1, nullptr, values, nullptr,
                              nullptr, 0));
        check(r.get());
        return r;
    }

    void exec(const std::string& sql) { check(Result(PQexec(conn_.get(), sql.c_str())).get()); }

    void check(const PGresult* r) const {
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const char* message = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        fail(Error::server, {server_name_, message ? message : trimmed(PQerrorMessage(conn_.get())),
                             state ? state : "08006"});
    }

    std::string identifier(const std::string& name) const {
        std::unique_ptr<char, decltype(&PQfreemem)> quoted(
            PQescapeIdentifier(conn_.get(), name.c_str(), name.size()), PQfreemem);
        if (!quoted) check(nullptr);
        return quoted.get();
    }

    // A connection string naming only the database: the rest comes from the environment.
    static std::string target(const std::string& database) {
        std::string out = "dbname='";
        for (const char c : database) {
            if (c == '\'' || c == '\\') out += '\\';
            out += c;
        }
        return out + "'";
    }

    // The password goes into the child's environment, never onto its command line.
    Program program(std::vector<std::string> argv) const {
        Program p{
            std::move(argv),
            {"PGHOST=" + text_.host, "PGPORT=" + text_.port, "PGUSER=" + text_.user,
             "PGAPPNAME=ortiva", "PGCONNECT_TIMEOUT=" + std::to_string(text_.connect_timeout)}};
        if (!text_.password.empty()) p.env.push_back("PGPASSWORD=" + text_.password);
        return p;
    }

    static void write_all(int fd, uint64_t offset, const char* data, std::size_t n) {
        while (n > 0) {
            const ssize_t w = ::pwrite(fd, data, n, static_cast<off_t>(offset));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) fail_io("Writing", "the device file", errno);
            data += w;
            offset += static_cast<uint64_t>(w);
            n -= static_cast<std::size_t>(w);
        }
    }

    static std::function<std::size_t(char*, std::size_t)> image_reader(const VerifiedSet& set) {
        return [&set, done = uint64_t{0}](char* buffer, std::size_t max) mutable {
            const uint64_t left = set.set.header.image_size - done;
            const std::size_t n =
                set.file.read_at(set.image_offset() + done, buffer,
                                 static_cast<std::size_t>(std::min<uint64_t>(max, left)));
            done += n;
            return n;
        };
    }

    ServerText text_;
    std::string server_name_;
    Conn conn_;
};

}  // namespace

std::filesystem::path catalog_directory(const std::string& server) {
    const std::filesystem::path dir = parse(server).devices;
    ensure_catalog(dir);
    return dir;
}

void connect(const std::string& server, const std::string& login, const std::string& password,
             ServerConnection& c) {
    const ServerText text = parse(server);
    const bool bracket = text.host.find(':') != std::string::npos;
    c.server_name =
        "postgresql://" + (bracket ? "[" + text.host + "]" : text.host) + ":" + text.port;
    c.dir = text.devices;
    auto engine = std::make_unique<PostgresEngine>(text, c.server_name, login, password);
    c.login = engine->user();
    ensure_catalog(c.dir);
    c.engine = std::move(engine);
}

}  // namespace ortiva::management::postgres
