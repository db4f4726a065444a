#include "management/sqlite/errors.hpp"
#include "management/sqlite/image.hpp"
#include "management/sqlite/server.hpp"
#include "ortiva/date.hpp"

namespace ortiva::management::sqlite {

namespace {

std::string now_text() {
    return Date::now().format("yyyy-mm-dd hh:mm:ss");
}

}  // namespace

void back_up(const ServerConnection& server, const Backup& job) {
    check_database_name(job.database);
    const DeviceEntry device = server.device(job.devices);
    const auto database_file = server.database_file(job.database);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(database_file, ec))
        fail(Error::no_such_database, {job.database, server.server_name});

    SetHeader header;
    header.device_type = static_cast<uint32_t>(device.type);
    header.sqlite_version = static_cast<uint32_t>(sqlite_version_number());
    header.database = job.database;
    header.set_name = job.backup_set_name;
    header.server = server.server_name;
    header.user = server.login;
    header.start = now_text();
    const ImageWriter write_image = [&](int fd, uint64_t offset) {
        WrittenImage image;
        image.size = write_snapshot(database_file, job.database, fd, offset);
        image.finish = now_text();
        return image;
    };

    const auto device_file = device_file_path(server.dir, device);
    if (job.initialize)
        start_device(device_file, device.name, std::move(header), write_image);
    else
        append_set(device_file, device.name, std::move(header), write_image);
}

}  // namespace ortiva::management::sqlite
