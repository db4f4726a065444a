#include "management/errors.hpp"
#include "management/server.hpp"

namespace ortiva::management {

void back_up(const ServerConnection& server, const Backup& job) {
    check_database_name(job.database);
    const DeviceEntry device = server.device(job.devices);
    Engine& engine = *server.engine;
    if (!engine.database_exists(job.database))
        fail(Error::no_such_database, {job.database, server.server_name});

    SetHeader header;
    header.device_type = static_cast<uint32_t>(device.type);
    header.engine_version = engine.version();
    header.database = job.database;
    header.set_name = job.backup_set_name;
    header.server = server.server_name;
    header.user = server.login;
    header.start = engine.now();
    const ImageWriter write_image = [&](int fd, uint64_t offset) {
        WrittenImage image = engine.write_image(job.database, fd, offset);
        image.finish = engine.now();
        return image;
    };

    const auto device_file = device_file_path(server.dir, device);
    if (job.initialize)
        start_device(device_file, device.name, std::move(header), write_image);
    else
        append_set(device_file, device.name, std::move(header), write_image);
}

}  // namespace ortiva::management
