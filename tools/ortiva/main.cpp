// ortiva: the operator's command line over the library.
// Exit status: 0 success, 1 a failure (printed as "error NUMBER: DESCRIPTION"), 2 a usage
// error.

#include <iostream>

#include "commands.hpp"
#include "ortiva/error_info.hpp"

int main(int argc, char** argv) {
    CLI::App app{"Ortiva: database helpers, text cipher, backup and restore", "ortiva"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show the help of every subcommand");

    ortiva::cli::Action action;
    ortiva::cli::add_demo_command(app, action);
    ortiva::cli::add_cipher_commands(app, action);
    ortiva::cli::add_sql_command(app, action);
    ortiva::cli::add_server_commands(app, action);
    ortiva::cli::add_backup_commands(app, action);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    try {
        return action ? action() : 2;
    } catch (const ortiva::ErrorInfo& e) {
        std::cerr << "error " << e.number() << ": " << e.description() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << '\n';
        return 1;
    }
}
