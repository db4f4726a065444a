#pragma once

// The subcommands of the ortiva program. Each adds itself to the application and sets the
// action to run once the command line has been read; an action returns the exit status.

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "output.hpp"

namespace ortiva::cli {

using Action = std::function<int()>;

void add_cipher_commands(CLI::App& app, Action& action);
void add_sql_command(CLI::App& app, Action& action);
void add_server_commands(CLI::App& app, Action& action);
void add_backup_commands(CLI::App& app, Action& action);
void add_demo_command(CLI::App& app, Action& action);
void add_classes_command(CLI::App& app, Action& action);
void add_component_commands(CLI::App& app, Action& action);

/// Adds --format table|csv|json to a command that prints rows.
CLI::Option* add_format_option(CLI::App& cmd, Format& format);

/// The name among candidates closest to a mistyped one, or "" when none is close.
std::string closest_name(const std::string& typed, const std::vector<std::string>& candidates);

}  // namespace ortiva::cli
