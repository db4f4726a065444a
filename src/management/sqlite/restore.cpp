#include <cstring>

#include "management/sqlite/errors.hpp"
#include "management/sqlite/image.hpp"
#include "management/sqlite/server.hpp"

namespace ortiva::management::sqlite {

void restore(const ServerConnection& server, const Restore& job) {
    check_database_name(job.database);
    const DeviceEntry device = server.device(job.devices);
    const VerifiedSet verified =
        verify_set(device_file_path(server.dir, device), device.name, job.file_number);
    const SetHeader& header = verified.set.header;

    static constexpr char magic[] = "SQLite format 3";  // with its NUL: 16 bytes
    char start[sizeof magic] = {};
    if (header.image_size > 0 &&
        (verified.file.read_at(verified.image_offset(), start, sizeof start) != sizeof start ||
         std::memcmp(start, magic, sizeof magic) != 0))
        fail(Error::backup_set_damaged,
             {std::to_string(job.file_number), device.name, "it does not hold a database image"});

    // Checksums only say the set is as it was written; whether the image is a sound database
    // is SQLite's to say, and it is asked before the live database is touched.
    if (const std::string problem = image_problem(verified.file.fd(), verified.image_offset(),
                                                  header.image_size, job.database);
        !problem.empty())
        fail(Error::backup_set_damaged,
             {std::to_string(job.file_number), device.name, "its database image: " + problem});

    const auto database_file = server.database_file(job.database);
    std::error_code ec;
    const auto status = std::filesystem::status(database_file, ec);
    const bool exists = std::filesystem::exists(status);
    // SQLite would open a FIFO and wait on it for ever.
    if (exists && !std::filesystem::is_regular_file(status))
        fail(Error::io, {"Restoring into", database_file.string(), "it is not a regular file"});
    // Restoring another database's set over an existing one is nearly always a mix-up of
    // positions or names; refuse it unless the job asks for it.
    if (exists && header.database != job.database && !job.replace_database)
        fail(Error::database_mismatch,
             {std::to_string(job.file_number), device.name, header.database, job.database});
    try {
        restore_image(database_file, job.database, verified.file.fd(), verified.image_offset(),
                      header.image_size, !exists);
    } catch (...) {
        if (!exists) std::filesystem::remove(database_file, ec);
        throw;
    }
}

}  // namespace ortiva::management::sqlite
