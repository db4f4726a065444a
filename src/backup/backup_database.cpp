#include "backup/support.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"

namespace ortiva {

bool ClsDBBackupRestore::fnBackupDatabase(const std::string& strBackupDevice, bool blnInitialize,
                                          const VariantArray& arrDataBase) {
    return backup::unchanged([&] {
        const int32_t last = backup::last_name_index(arrDataBase);
        management::Backup job;
        job.initialize = blnInitialize;
        for (int16_t i = 0; i <= last; i = backup::next(i)) {
            const std::string name = to_text(arrDataBase.at(i));
            job.database = name;
            job.backup_set_name = name;
            job.devices = strBackupDevice;
            job.run(server());
            // Only the run's first set may start the device afresh.
            job.initialize = false;
        }
        return true;
    });
}

}  // namespace ortiva
