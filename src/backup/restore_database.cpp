#include "backup/support.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

bool ClsDBBackupRestore::fnRestoreDatabase(const std::string& strBackupDevice,
                                           int16_t intFileNumber,
                                           const VariantArray& arrDataBaseInBackupOrder) {
    return backup::unchanged([&] {
        const int32_t last = backup::last_name_index(arrDataBaseInBackupOrder);
        for (int16_t i = 0; i <= last; i = backup::next(i)) {
            management::Restore job;
            job.database = to_text(arrDataBaseInBackupOrder.at(i));
            job.devices = text::trim(strBackupDevice);
            job.file_number = backup::next(intFileNumber, i);
            job.run(server());
        }
        return true;
    });
}

}  // namespace ortiva
