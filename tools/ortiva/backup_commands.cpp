// Backup runs, their history and restores, through ClsDBBackupRestore.

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/management.hpp"
#include "ortiva/memory_controls.hpp"
#include "output.hpp"
#include "progress.hpp"

namespace ortiva::cli {

namespace {

// Set positions on a device are 16-bit, so no run can hold more sets than this.
constexpr int max_position = 32767;

struct RunOptions {
    std::string server;
    std::string device;
    bool initialize = false;
    int file = 1;
    int databases = 1;
    std::vector<std::string> names;
    Format format = Format::table;
};

VariantArray names_of(const std::vector<std::string>& names) {
    std::vector<Variant> items(names.begin(), names.end());
    return VariantArray(std::move(items));
}

// The built-in backend keeps database NAME in NAME.db inside the server directory.
std::uintmax_t database_bytes(const std::string& server, const std::string& name) {
    std::error_code ec;
    const auto size =
        std::filesystem::file_size(std::filesystem::path(server) / (name + ".db"), ec);
    return ec ? 0 : size;
}

// The sizes of the sets a restore reads, from the device's header; 0 where it has none.
std::vector<std::uintmax_t> set_bytes(const RunOptions& o) {
    std::vector<std::uintmax_t> sizes(o.names.size(), 0);
    auto server = management::create_server();
    server->connect(o.server, "", "");
    const auto header = server->backup_device(o.device)->read_backup_header();
    for (int32_t row = 1; row <= header->rows(); ++row) {
        const long position = std::stol(header->cell(row, 6)) - o.file;
        if (position < 0 || position >= static_cast<long>(sizes.size())) continue;
        try {
            sizes[static_cast<std::size_t>(position)] = std::stoull(header->cell(row, 13));
        } catch (const std::exception&) {
            // A size the backend left empty only makes the bar less exact.
        }
    }
    server->disconnect();
    return sizes;
}

// One database per call, so that the bar moves as each set is written; only the first call
// may start the device afresh, as one run over all the names would.
int run_backup(const RunOptions& o) {
    ClsDBBackupRestore backup;
    backup.SetConnectionToServer(o.server, "", "");
    std::vector<std::uintmax_t> sizes;
    std::uintmax_t total = 0;
    for (const auto& name : o.names)
        total += sizes.emplace_back(database_bytes(o.server, name));
    Progress progress("backup", total);
    std::uintmax_t done = 0;
    for (std::size_t i = 0; i < o.names.size(); ++i) {
        progress.update(done, o.names[i]);
        backup.fnBackupDatabase(o.device, o.initialize && i == 0, names_of({o.names[i]}));
        done += sizes[i];
    }
    progress.update(done);
    progress.finish();
    std::cout << "Backed up " << o.names.size() << " database(s) onto " << o.device << ".\n";
    return 0;
}

int run_restore(const RunOptions& o) {
    if (o.file + static_cast<long>(o.names.size()) - 1 > max_position) {
        std::cerr << "restore: the run's sets would go past position " << max_position << '\n';
        return 2;
    }
    ClsDBBackupRestore backup;
    backup.SetConnectionToServer(o.server, "", "");
    const auto sizes = set_bytes(o);
    std::uintmax_t total = 0;
    for (auto size : sizes)
        total += size;
    Progress progress("restore", total);
    std::uintmax_t done = 0;
    for (std::size_t i = 0; i < o.names.size(); ++i) {
        progress.update(done, o.names[i]);
        const int position = o.file + static_cast<int>(i);
        backup.fnRestoreDatabase(o.device, static_cast<int16_t>(position), names_of({o.names[i]}));
        done += sizes[i];
    }
    progress.update(done);
    progress.finish();
    std::cout << "Restored " << o.names.size() << " database(s) from " << o.device
              << ", sets from position " << o.file << ".\n";
    return 0;
}

int show_history(const RunOptions& o) {
    // The listing reports failures in a message box; asking for the device first gives the
    // operator the backend's error number and text instead.
    auto server = management::create_server();
    server->connect(o.server, "", "");
    server->backup_device(o.device);
    server->disconnect();

    const auto runtime = std::make_shared<HeadlessRuntime>();
    ClsDBBackupRestore backup;
    backup.set_runtime(runtime);
    backup.SetConnectionToServer(o.server, "", "");
    auto list = memory::create_control("ListView", "history");
    auto headers = get_object(*list, "ColumnHeaders");
    constexpr int columns = 5;
    for (int i = 0; i < columns; ++i)
        headers->call("Add");
    const std::vector<std::string> placeholder(static_cast<std::size_t>(o.databases));
    const bool listed = backup.fnListBackupDetails(*list, o.device, names_of(placeholder));
    if (!listed && !runtime->messages().empty()) {
        std::cerr << "error: " << runtime->messages().back().prompt << '\n';
        return 1;
    }

    // The list view holds one row per run: its text the first column, sub-items the rest.
    std::vector<std::string> names;
    for (int32_t c = 1; c <= columns; ++c)
        names.push_back(to_text(get_object(*headers, "Item", {c})->get("Text")));
    auto writer = make_writer(o.format, std::cout);
    use_utf8_ctype();
    writer->begin(names);
    auto items = get_object(*list, "ListItems");
    const int32_t count = to_int32(items->get("Count"));
    std::vector<Variant> row(columns);
    for (int32_t r = 1; r <= count; ++r) {
        auto item = get_object(*items, "Item", {r});
        row[0] = item->get("Text");
        for (int32_t c = 1; c < columns; ++c)
            row[static_cast<std::size_t>(c)] = item->get("SubItems", {c});
        writer->row(row);
    }
    writer->end();
    return 0;
}

}  // namespace

void add_backup_commands(CLI::App& app, Action& action) {
    auto o = std::make_shared<RunOptions>();

    auto* backup = app.add_subcommand("backup", "Back up databases onto a device, in order");
    backup->add_option("--server", o->server, "Server directory or postgresql:// address")
        ->required();
    backup->add_option("--device", o->device, "Backup device name")->required();
    backup->add_flag("--init", o->initialize, "Start the device afresh with this run");
    backup->add_option("databases", o->names, "Database names")->required();
    backup->callback([&action, o] { action = [o] { return run_backup(*o); }; });

    // Counts are checked as the command line is read, before anything is sized by them.
    auto* history = app.add_subcommand("history", "List the backup runs a device holds");
    history->add_option("--server", o->server, "Server directory or postgresql:// address")
        ->required();
    history->add_option("--device", o->device, "Backup device name")->required();
    history->add_option("--databases", o->databases, "Databases per run (1 to 32767)")
        ->required()
        ->check(CLI::Range(1, max_position));
    add_format_option(*history, o->format);
    history->callback([&action, o] { action = [o] { return show_history(*o); }; });

    auto* restore = app.add_subcommand("restore", "Restore the databases of a run");
    restore->add_option("--server", o->server, "Server directory or postgresql:// address")
        ->required();
    restore->add_option("--device", o->device, "Backup device name")->required();
    restore->add_option("--file", o->file, "Position of the run's first set (its Sl No)")
        ->required()
        ->check(CLI::Range(1, max_position));
    restore->add_option("databases", o->names, "Database names in backup order")->required();
    restore->callback([&action, o] { action = [o] { return run_restore(*o); }; });
}

}  // namespace ortiva::cli
