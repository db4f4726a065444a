#include "management/errors.hpp"
#include "management/server.hpp"

namespace ortiva::management {

void restore(const ServerConnection& server, const Restore& job) {
    check_database_name(job.database);
    const DeviceEntry device = server.device(job.devices);
    Engine& engine = *server.engine;
    const VerifiedSet verified =
        verify_set(device_file_path(server.dir, device), device.name, job.file_number);
    const SetHeader& header = verified.set.header;

    // Checksums only say the set is as it was written; whether the image can be restored is
    // the engine's to say, and it is asked before the live database is touched.
    if (const std::string problem = engine.image_problem(verified, job.database); !problem.empty())
        fail(Error::backup_set_damaged, {std::to_string(job.file_number), device.name, problem});

    const bool exists = engine.database_exists(job.database);
    // Restoring another database's set over an existing one is nearly always a mix-up of
    // positions or names; refuse it unless the job asks for it.
    if (exists && header.database != job.database && !job.replace_database)
        fail(Error::database_mismatch,
             {std::to_string(job.file_number), device.name, header.database, job.database});
    engine.restore_image(verified, job.database, !exists);
}

}  // namespace ortiva::management
