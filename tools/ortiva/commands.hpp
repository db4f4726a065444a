#pragma once

// The subcommands of the ortiva program. Each adds itself to the application and sets the
// action to run once the command line has been read; an action returns the exit status.

#include <functional>

#include <CLI/CLI.hpp>

namespace ortiva::cli {

using Action = std::function<int()>;

void add_cipher_commands(CLI::App& app, Action& action);
void add_sql_command(CLI::App& app, Action& action);
void add_server_commands(CLI::App& app, Action& action);
void add_backup_commands(CLI::App& app, Action& action);
void add_demo_command(CLI::App& app, Action& action);

}  // namespace ortiva::cli
