#include "ortiva/ClsDBBackupRestore.hpp"

#include "backup/support.hpp"

namespace ortiva {

ClsDBBackupRestore::ClsDBBackupRestore() = default;

ClsDBBackupRestore::ClsDBBackupRestore(std::unique_ptr<management::Server> server)
    : server_(std::move(server)) {}

ClsDBBackupRestore::~ClsDBBackupRestore() {
    // Release disconnects even a server that was never connected; the backend then
    // complains, and a destructor has nobody to tell.
    try {
        server().disconnect();
    } catch (...) {
    }
}

management::Server& ClsDBBackupRestore::server() {
    if (!server_) server_ = management::create_server();
    return *server_;
}

void ClsDBBackupRestore::SetConnectionToServer(const std::string& strSrvr,
                                               const std::string& strUser,
                                               const std::string& strPasswd) {
    backup::unchanged([&] { server().connect(strSrvr, strUser, strPasswd); });
}

void ClsDBBackupRestore::ListBackupDevice(HostObject& cboDevice, bool blnTape) {
    backup::unchanged([&] {
        cboDevice.call("Clear");
        for (const auto& device : server().backup_devices()) {
            if (blnTape && device->status() != management::device_tape) continue;
            cboDevice.call("AddItem", {Variant(device->name())});
        }
    });
}

}  // namespace ortiva
