#include "management/server.hpp"

#include <array>
#include <cstdio>

#include "management/errors.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::management {

namespace {

// The usual columns of a backup header where this backend has something to say; 14 to 17
// describe where and how the set lies in the device file.
constexpr std::array<const char*, 19> column_names = {
    "BackupName",  "BackupDescription", "BackupType",       "ExpirationDate",
    "Compressed",  "Position",          "DeviceType",       "UserName",
    "ServerName",  "DatabaseName",      "DatabaseVersion",  "DatabaseCreationDate",
    "BackupSize",  "ImageSize",         "Checksum",         "SetOffset",
    "ImageOffset", "BackupStartDate",   "BackupFinishDate",
};

std::vector<std::string> row_of(const StoredSet& set) {
    const SetHeader& h = set.header;
    char checksum[9];
    std::snprintf(checksum, sizeof checksum, "%08X", h.image_crc);
    return {
        h.set_name,
        "",
        "1",  // a full database backup: the only kind there is
        "",
        "0",
        std::to_string(h.position),
        std::to_string(h.device_type),
        h.user,
        h.server,
        h.database,
        std::to_string(h.engine_version),
        "",
        std::to_string(set.set_size),
        std::to_string(h.image_size),
        checksum,
        std::to_string(set.offset),
        std::to_string(set.offset + set.header_size),
        h.start,
        h.finish,
    };
}

class SetTable final : public BackupHeader {
  public:
    explicit SetTable(const DeviceContents& contents) {
        for (const StoredSet& set : contents.sets)
            rows_.push_back(row_of(set));
    }

    int32_t rows() const override { return static_cast<int32_t>(rows_.size()); }
    int32_t columns() const override { return static_cast<int32_t>(column_names.size()); }
    std::string column_name(int32_t column) const override {
        check_column(column);
        return column_names[static_cast<std::size_t>(column - 1)];
    }
    std::string cell(int32_t row, int32_t column) const override {
        check_column(column);
        if (row < 1 || row > rows())
            raise(err::subscript, error_source,
                  "Row " + std::to_string(row) + " is outside the backup header, which has " +
                      std::to_string(rows()) + " rows.");
        return rows_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
    }

  private:
    void check_column(int32_t column) const {
        if (column < 1 || column > columns())
            raise(err::subscript, error_source,
                  "Column " + std::to_string(column) +
                      " is outside the backup header, which "
                      "has " +
                      std::to_string(columns()) + " columns.");
    }

    std::vector<std::vector<std::string>> rows_;
};

}  // namespace

std::unique_ptr<BackupHeader> make_backup_header(const DeviceContents& contents) {
    return std::make_unique<SetTable>(contents);
}

}  // namespace ortiva::management
