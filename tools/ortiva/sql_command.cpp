#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "table.hpp"

namespace ortiva::cli {

namespace {

struct SqlOptions {
    std::string connect;
    std::string user;
    std::string password;
    std::string sql;
};

int run_sql(const SqlOptions& options) {
    ClsCommonDb db;
    db.SetPropertyValues(options.connect, options.user, options.password);
    auto rs = db.fnReturnRecords(options.sql);
    if (rs->State() == adStateClosed) {
        std::cout << "Statement executed.\n";
        return 0;
    }
    auto& fields = rs->Fields();
    std::vector<std::string> headers;
    for (int32_t i = 0; i < fields.Count(); ++i)
        headers.push_back(fields.Item(i).Name());
    std::vector<std::vector<std::string>> rows;
    for (; !rs->Eof(); rs->MoveNext()) {
        auto& row = rows.emplace_back();
        for (int32_t i = 0; i < fields.Count(); ++i) {
            const Variant v = fields.Item(i).Value();
            row.push_back(v.is_null() ? "NULL" : to_text(v));
        }
    }
    rs->Close();
    print_table(std::cout, headers, rows);
    std::cout << '(' << rows.size() << (rows.size() == 1 ? " row)\n" : " rows)\n");
    return 0;
}

}  // namespace

void add_sql_command(CLI::App& app, Action& action) {
    auto options = std::make_shared<SqlOptions>();
    auto* cmd = app.add_subcommand("sql", "Run one SQL statement and print what it returns");
    cmd->add_option("--connect", options->connect,
                    "Connection string, e.g. \"Data Source=items.db\"")
        ->required();
    cmd->add_option("--user", options->user, "User id (client/server databases)");
    cmd->add_option("--password", options->password, "Password (client/server databases)");
    cmd->add_option("sql", options->sql, "The statement")->required();
    cmd->callback([&action, options] { action = [options] { return run_sql(*options); }; });
}

}  // namespace ortiva::cli
