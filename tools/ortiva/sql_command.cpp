// Runs one statement and streams what it returns from a forward-only cursor.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/recordset.hpp"
#include "output.hpp"
#include "secrets.hpp"

namespace ortiva::cli {

namespace {

struct SqlOptions {
    std::string connect;
    std::string user;
    SecretOptions password;
    std::string sql;
    Format format = Format::table;
    bool create = false;
};

// Connection strings are "Key=Value;" pairs with keys in any case; a value may be quoted
// or braced, and then holds ';' as it is.
std::string connection_value(const std::string& connect, const std::string& key) {
    auto same = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    auto trimmed = [](std::string s) {
        const auto first = s.find_first_not_of(' ');
        if (first == std::string::npos) return std::string();
        return s.substr(first, s.find_last_not_of(' ') - first + 1);
    };
    std::string found;
    std::size_t at = 0;
    while (at < connect.size()) {
        const auto eq = connect.find('=', at);
        if (eq == std::string::npos) break;
        const std::string name = trimmed(connect.substr(at, eq - at));
        std::size_t start = connect.find_first_not_of(' ', eq + 1);
        if (start == std::string::npos) start = connect.size();
        std::string value;
        std::size_t end;
        const char open = start < connect.size() ? connect[start] : '\0';
        const char close = open == '{' ? '}' : open;
        if (open == '"' || open == '\'' || open == '{') {
            end = connect.find(close, start + 1);
            if (end == std::string::npos) end = connect.size();
            value = connect.substr(start + 1, end - start - 1);
            end = connect.find(';', end);
        } else {
            end = connect.find(';', start);
            value = trimmed(connect.substr(start, end == std::string::npos ? end : end - start));
        }
        if (same(name, key)) found = value;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return found;
}

// The embedded database's path, when the string names a file that SQLite would create on
// open; empty for client/server databases and in-memory ones.
std::string embedded_file(const std::string& connect) {
    if (!connection_value(connect, "Driver").empty() || !connection_value(connect, "DSN").empty())
        return {};
    const std::string path = connection_value(connect, "Data Source");
    if (path.empty() || path == ":memory:" || path.rfind("file:", 0) == 0) return {};
    return path;
}

int run_sql(const SqlOptions& o) {
    const std::string file = embedded_file(o.connect);
    if (!file.empty() && !o.create && !std::filesystem::exists(file)) {
        std::cerr << "error: database " << file
                  << " does not exist (give --create to make a new one)\n";
        return 1;
    }
    // A login is asked for only when a user is named: SQLite has none.
    const auto password =
        resolve_secret(o.password, "ORTIVA_PASSWORD", "Password for " + o.user, !o.user.empty());
    auto connection = Connection::create();
    connection->Open(o.connect, o.user, password.value_or(""));
    int32_t affected = -1;
    // Options spelled out: with an lvalue alone the call could also mean Execute(sql, options).
    auto rs = connection->Execute(o.sql, affected, -1);
    if (rs->State() == adStateClosed) {
        write_affected(o.format, std::cout, affected);
        return 0;
    }
    use_utf8_ctype();
    auto writer = make_writer(o.format, std::cout);
    auto& fields = rs->Fields();
    const int32_t count = fields.Count();
    std::vector<std::string> headers;
    for (int32_t i = 0; i < count; ++i)
        headers.push_back(fields.Item(i).Name());
    writer->begin(headers);
    std::vector<Variant> values(static_cast<std::size_t>(count));
    for (; !rs->Eof(); rs->MoveNext()) {
        for (int32_t i = 0; i < count; ++i)
            values[static_cast<std::size_t>(i)] = fields.Item(i).Value();
        writer->row(values);
    }
    writer->end();
    rs->Close();
    return 0;
}

}  // namespace

CLI::Option* add_format_option(CLI::App& cmd, Format& format) {
    std::map<std::string, Format> names(format_names().begin(), format_names().end());
    return cmd
        .add_option("--format", format,
                    "table (aligned; NULL printed NULL, control characters escaped), csv "
                    "(RFC 4180; NULL an empty field) or json (an array of row objects)")
        ->transform(CLI::CheckedTransformer(names, CLI::ignore_case).description(""))
        ->type_name("table|csv|json")
        ->default_str("table");
}

void add_sql_command(CLI::App& app, Action& action) {
    auto o = std::make_shared<SqlOptions>();
    auto* cmd = app.add_subcommand("sql", "Run one SQL statement and print what it returns");
    cmd->add_option("--connect", o->connect, "Connection string, e.g. \"Data Source=items.db\"")
        ->required();
    cmd->add_option("--user", o->user, "User id (client/server databases)");
    add_secret_options(*cmd, o->password, "password",
                       "Password (client/server databases; asked for when --user is given)",
                       "ORTIVA_PASSWORD");
    cmd->add_flag("--create", o->create, "Create the database file when it does not exist");
    add_format_option(*cmd, o->format);
    cmd->add_option("sql", o->sql, "The statement")->required();
    cmd->callback([&action, o] { action = [o] { return run_sql(*o); }; });
}

}  // namespace ortiva::cli
