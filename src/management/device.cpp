#include "management/server.hpp"

namespace ortiva::management {

namespace {

class SqliteBackupDevice final : public BackupDevice {
  public:
    SqliteBackupDevice(const ServerConnection& server, DeviceEntry entry)
        : file_(device_file_path(server.dir, entry)), entry_(std::move(entry)) {}

    std::string name() const override { return entry_.name; }
    int32_t status() const override { return entry_.type; }
    std::unique_ptr<BackupHeader> read_backup_header() override {
        return make_backup_header(read_device(file_, entry_.name));
    }

  private:
    std::filesystem::path file_;
    DeviceEntry entry_;
};

}  // namespace

std::shared_ptr<BackupDevice> make_backup_device(const ServerConnection& server,
                                                 DeviceEntry entry) {
    return std::make_shared<SqliteBackupDevice>(server, std::move(entry));
}

}  // namespace ortiva::management
