// ortiva: the operator's command line over the library.
// Exit status: 0 success, 1 a failure (printed as "error NUMBER: DESCRIPTION"), 2 a usage
// error.

#include <algorithm>
#include <iostream>

#include "commands.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/version.hpp"

namespace ortiva::cli {

std::string closest_name(const std::string& typed, const std::vector<std::string>& candidates) {
    // Edit distance, with a swap of neighbours counting as one edit.
    auto distance = [](const std::string& a, const std::string& b) {
        std::vector<std::vector<std::size_t>> d(a.size() + 1,
                                                std::vector<std::size_t>(b.size() + 1));
        for (std::size_t i = 0; i <= a.size(); ++i)
            d[i][0] = i;
        for (std::size_t j = 0; j <= b.size(); ++j)
            d[0][j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
                if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
        return d[a.size()][b.size()];
    };
    std::string best;
    std::size_t best_distance = 0;
    for (const auto& c : candidates) {
        const std::size_t dist = distance(typed, c);
        if (best.empty() || dist < best_distance) {
            best = c;
            best_distance = dist;
        }
    }
    // More than a third of the word changed is another word, not a typing slip.
    const std::size_t limit = std::max<std::size_t>(1, std::max(typed.size(), best.size()) / 3);
    return best_distance <= limit ? best : std::string();
}

namespace {

// Finds a word where a subcommand belongs that names none, before CLI11 reports it as an
// unexpected argument, so that the message can suggest the intended one.
bool unknown_subcommand(CLI::App& app, int argc, char** argv) {
    CLI::App* level = &app;
    std::string path = app.get_name();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.empty() || arg.front() == '-') continue;
        const auto subcommands = level->get_subcommands([](CLI::App*) { return true; });
        if (subcommands.empty()) return false;
        std::vector<std::string> names;
        for (auto* sub : subcommands)
            names.push_back(sub->get_name());
        if (std::find(names.begin(), names.end(), arg) != names.end()) {
            level = level->get_subcommand(arg);
            path += " " + arg;
            continue;
        }
        std::cerr << path << ": '" << arg << "' is not a command.";
        const std::string suggestion = closest_name(arg, names);
        if (!suggestion.empty()) std::cerr << " Did you mean '" << suggestion << "'?";
        std::cerr << "\nRun with --help for the list of commands.\n";
        return true;
    }
    return false;
}

}  // namespace

}  // namespace ortiva::cli

int main(int argc, char** argv) {
    // Only iostreams write here; unsynchronised they buffer, which a large result needs.
    std::ios::sync_with_stdio(false);
    CLI::App app{"Ortiva: database helpers, text cipher, backup and restore", "ortiva"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show the help of every subcommand");
    app.set_version_flag("--version", [] {
        // The library may be a newer shared one than the program was built with.
        return std::string("ortiva ") + ORTIVA_VERSION_STRING + " (library " +
               ortiva::version_string() + ")";
    });

    ortiva::cli::Action action;
    ortiva::cli::add_demo_command(app, action);
    ortiva::cli::add_cipher_commands(app, action);
    ortiva::cli::add_sql_command(app, action);
    ortiva::cli::add_server_commands(app, action);
    ortiva::cli::add_backup_commands(app, action);
    ortiva::cli::add_classes_command(app, action);
    ortiva::cli::add_component_commands(app, action);

    if (ortiva::cli::unknown_subcommand(app, argc, argv)) return 2;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
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
