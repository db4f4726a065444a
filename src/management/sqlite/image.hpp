#pragma once

// Database images through SQLite's online backup: a consistent snapshot of a live database,
// taken while other connections may be writing, written straight into a device file; and the
// replacement of a live database by an image in one transaction.

#include <cstdint>
#include <filesystem>
#include <string>

namespace ortiva::management::sqlite {

/// Takes a snapshot of the database file and writes its image to fd at offset (nothing is
/// synced); returns the image's size. database names it in errors. Throws database_damaged
/// when the image fails SQLite's integrity check.
uint64_t write_snapshot(const std::filesystem::path& file, const std::string& database, int fd,
                        uint64_t offset);

/// Replaces the content of the database file by the image of size bytes at offset of fd, in
/// one write transaction, so that other connections see the old or the new database, never a
/// mix. Creates the file when create is set. The file keeps its own journal mode, and a WAL
/// file its own page size.
void restore_image(const std::filesystem::path& file, const std::string& database, int fd,
                   uint64_t offset, uint64_t size, bool create);

/// What SQLite's integrity check finds wrong with the image of size bytes at offset of fd
/// (its first complaint), or an empty text when the image is sound.
std::string image_problem(int fd, uint64_t offset, uint64_t size, const std::string& database);

/// The SQLite library's version number, recorded in each backup set.
int sqlite_version_number();

}  // namespace ortiva::management::sqlite
