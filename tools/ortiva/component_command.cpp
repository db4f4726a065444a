#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "commands.hpp"
#include "ortiva/component.hpp"

namespace ortiva::cli {

namespace fs = std::filesystem;

namespace {

struct RegisterOptions {
    bool system = false;
    std::string library;
};

fs::path registry_file(bool system) {
    if (system) return "/etc/ortiva/classes";
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return fs::path(data) / "ortiva" / "classes";
    const char* home = std::getenv("HOME");
    if (!home || !*home) throw std::runtime_error("neither XDG_DATA_HOME nor HOME is set");
    return fs::path(home) / ".local" / "share" / "ortiva" / "classes";
}

// The C-interface library beside this program: ../<libdir>/ when installed, ../lib/ in a build
// tree.
fs::path default_library() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) throw std::runtime_error("cannot find this program's path: " + ec.message());
    for (const char* dir : {ORTIVA_INSTALL_LIBDIR, "lib"}) {
        const fs::path candidate = exe.parent_path().parent_path() / dir / ORTIVA_C_LIBRARY_NAME;
        if (fs::exists(candidate)) return candidate;
    }
    throw std::runtime_error(std::string("no ") + ORTIVA_C_LIBRARY_NAME +
                             " beside this program; give --library");
}

bool is_ours(const std::string& line) {
    const std::string progid = line.substr(0, line.find('\t'));
    for (const component::ClassInfo& c : component::classes())
        if (progid == c.progid) return true;
    return false;
}

// Lines of other libraries stay; ours are dropped, then added again when registering. The
// file is replaced whole so that a reader never sees half of it.
int update(const RegisterOptions& options, bool add) {
    const fs::path file = registry_file(options.system);
    std::vector<std::string> lines;
    if (std::ifstream in(file); in) {
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && !is_ours(line)) lines.push_back(line);
    }
    if (add) {
        // The name as given, not the file a link leads to: a registry naming libortiva_c.so.N
        // survives an update of the library behind it.
        const fs::path library =
            fs::absolute(options.library.empty() ? default_library() : fs::path(options.library))
                .lexically_normal();
        if (!fs::is_regular_file(library))
            throw std::runtime_error("no library " + library.string());
        for (const component::ClassInfo& c : component::classes())
            lines.push_back(std::string(c.progid) + '\t' + std::string(c.clsid) + '\t' +
                            library.string());
    }
    if (lines.empty()) {
        std::error_code ec;
        fs::remove(file, ec);
        if (ec) throw std::runtime_error("cannot remove " + file.string() + ": " + ec.message());
    } else {
        fs::create_directories(file.parent_path());
        const fs::path temp = file.string() + ".new" + std::to_string(::getpid());
        {
            std::ofstream out(temp, std::ios::trunc);
            for (const auto& line : lines)
                out << line << '\n';
            out.flush();
            if (!out) throw std::runtime_error("cannot write " + temp.string());
        }
        fs::rename(temp, file);
    }
    std::cout << (add ? "registered " : "unregistered ") << component::classes().size()
              << " classes in " << file.string() << '\n';
    return 0;
}

}  // namespace

void add_component_commands(CLI::App& app, Action& action) {
    auto* component = app.add_subcommand("component", "Register the classes for late binding");
    component->require_subcommand(1);
    for (const bool add : {true, false}) {
        auto options = std::make_shared<RegisterOptions>();
        auto* cmd = component->add_subcommand(
            add ? "register" : "unregister",
            add ? "Map each programmatic id and class id to the C-interface library"
                : "Remove the classes from the class registry");
        cmd->add_flag("--system", options->system,
                      "The system registry /etc/ortiva/classes instead of the user's");
        if (add)
            cmd->add_option("--library", options->library,
                            "The library to register (default: the one installed with ortiva)");
        cmd->callback(
            [&action, options, add] { action = [options, add] { return update(*options, add); }; });
    }
}

}  // namespace ortiva::cli
