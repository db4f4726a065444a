// Operator commands of the backup backends: server directories and backup devices (a
// PostgreSQL server's live in its devices directory).

#include <iostream>
#include <memory>
#include <string>

#include "commands.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/management.hpp"
#include "ortiva/memory_controls.hpp"

namespace ortiva::cli {

namespace {

struct DeviceOptions {
    std::string server;
    std::string name;
    std::string path;
    bool tape = false;
};

int list_devices(const DeviceOptions& o) {
    ClsDBBackupRestore backup;
    backup.SetConnectionToServer(o.server, "", "");
    auto list = memory::create_control("ListBox", "devices");
    backup.ListBackupDevice(*list, o.tape);
    const int32_t count = to_int32(list->get("ListCount"));
    for (int32_t i = 0; i < count; ++i)
        std::cout << to_text(list->get("List", {i})) << '\n';
    return 0;
}

}  // namespace

void add_server_commands(CLI::App& app, Action& action) {
    auto* server = app.add_subcommand("server", "Manage server directories");
    server->require_subcommand(1);
    auto dir = std::make_shared<std::string>();
    auto* init = server->add_subcommand("init", "Make a directory a server directory");
    init->add_option("dir", *dir, "The directory (created when missing)")->required();
    init->callback([&action, dir] {
        action = [dir] {
            management::create_server_directory(*dir);
            std::cout << "Server directory " << *dir << " created.\n";
            return 0;
        };
    });

    auto* device = app.add_subcommand("device", "Manage the backup devices of a server");
    device->require_subcommand(1);
    auto o = std::make_shared<DeviceOptions>();

    auto* add = device->add_subcommand("add", "Add a backup device");
    add->add_option("--server", o->server, "Server directory or postgresql:// address")->required();
    add->add_option("name", o->name, "Device name")->required();
    add->add_option("path", o->path, "Device file (relative paths are inside the server)")
        ->required();
    add->add_flag("--tape", o->tape, "Register the device as a tape (status 5)");
    add->callback([&action, o] {
        action = [o] {
            management::add_backup_device(
                management::device_catalog_directory(o->server), o->name, o->path,
                o->tape ? management::device_tape : management::device_disk);
            std::cout << "Device " << o->name << " added.\n";
            return 0;
        };
    });

    auto* drop = device->add_subcommand("drop", "Remove a backup device (its file is kept)");
    drop->add_option("--server", o->server, "Server directory or postgresql:// address")
        ->required();
    drop->add_option("name", o->name, "Device name")->required();
    drop->callback([&action, o] {
        action = [o] {
            management::drop_backup_device(management::device_catalog_directory(o->server),
                                           o->name);
            std::cout << "Device " << o->name << " dropped.\n";
            return 0;
        };
    });

    auto* list = device->add_subcommand("list", "List the backup devices");
    list->add_option("--server", o->server, "Server directory or postgresql:// address")
        ->required();
    list->add_flag("--tape", o->tape, "Only tape devices");
    list->callback([&action, o] { action = [o] { return list_devices(*o); }; });
}

}  // namespace ortiva::cli
