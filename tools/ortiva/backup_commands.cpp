// Backup runs, their history and restores, through ClsDBBackupRestore.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "commands.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/management.hpp"
#include "ortiva/memory_controls.hpp"
#include "progress.hpp"

namespace ortiva::cli {

namespace {

struct RunOptions {
    std::string server;
    std::string device;
    bool initialize = false;
    int file = 1;
    int databases = 1;
    std::vector<std::string> names;
};

VariantArray names_of(const std::vector<std::string>& names) {
    std::vector<Variant> items(names.begin(), names.end());
    return VariantArray(std::move(items));
}

// One database per call, so that the bar moves as each set is written; only the first call
// may start the device afresh, as one run over all the names would.
int run_backup(const RunOptions& o) {
    ClsDBBackupRestore backup;
    backup.SetConnectionToServer(o.server, "", "");
    Progress progress("backup", static_cast<int>(o.names.size()));
    for (std::size_t i = 0; i < o.names.size(); ++i) {
        progress.update(static_cast<int>(i), o.names[i]);
        backup.fnBackupDatabase(o.device, o.initialize && i == 0, names_of({o.names[i]}));
    }
    progress.update(static_cast<int>(o.names.size()));
    std::cout << "Backed up " << o.names.size() << " database(s) onto " << o.device << ".\n";
    return 0;
}

int run_restore(const RunOptions& o) {
    ClsDBBackupRestore backup;
    backup.SetConnectionToServer(o.server, "", "");
    Progress progress("restore", static_cast<int>(o.names.size()));
    for (std::size_t i = 0; i < o.names.size(); ++i) {
        progress.update(static_cast<int>(i), o.names[i]);
        const int position = o.file + static_cast<int>(i);
        if (position > 32767) raise(err::overflow);
        backup.fnRestoreDatabase(o.device, static_cast<int16_t>(position), names_of({o.names[i]}));
    }
    progress.update(static_cast<int>(o.names.size()));
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

    if (o.databases < 1) raise(err::invalid_call, "ortiva", "--databases must be at least 1");
    ClsDBBackupRestore backup;
    backup.SetConnectionToServer(o.server, "", "");
    auto list = memory::create_control("ListView", "history");
    auto headers = get_object(*list, "ColumnHeaders");
    for (int i = 0; i < 5; ++i)
        headers->call("Add");
    const std::vector<std::string> placeholder(static_cast<std::size_t>(o.databases));
    auto* runtime = dynamic_cast<HeadlessRuntime*>(&host_runtime());
    const std::size_t messages_before = runtime ? runtime->messages().size() : 0;
    const bool listed = backup.fnListBackupDetails(*list, o.device, names_of(placeholder));
    if (!listed && runtime && runtime->messages().size() > messages_before) return 1;
    std::cout << memory::render(*list);
    return 0;
}

}  // namespace

void add_backup_commands(CLI::App& app, Action& action) {
    auto o = std::make_shared<RunOptions>();

    auto* backup = app.add_subcommand("backup", "Back up databases onto a device, in order");
    backup->add_option("--server", o->server, "Server directory")->required();
    backup->add_option("--device", o->device, "Backup device name")->required();
    backup->add_flag("--init", o->initialize, "Start the device afresh with this run");
    backup->add_option("databases", o->names, "Database names")->required();
    backup->callback([&action, o] { action = [o] { return run_backup(*o); }; });

    auto* history = app.add_subcommand("history", "List the backup runs a device holds");
    history->add_option("--server", o->server, "Server directory")->required();
    history->add_option("--device", o->device, "Backup device name")->required();
    history->add_option("--databases", o->databases, "Databases per run")->required();
    history->callback([&action, o] { action = [o] { return show_history(*o); }; });

    auto* restore = app.add_subcommand("restore", "Restore the databases of a run");
    restore->add_option("--server", o->server, "Server directory")->required();
    restore->add_option("--device", o->device, "Backup device name")->required();
    restore->add_option("--file", o->file, "Position of the run's first set (its Sl No)")
        ->required();
    restore->add_option("databases", o->names, "Database names in backup order")->required();
    restore->callback([&action, o] { action = [o] { return run_restore(*o); }; });
}

}  // namespace ortiva::cli
