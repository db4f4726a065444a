#pragma once

// Database images through SQLite's online backup: a consistent snapshot of a live database
// taken while other connections may be writing, and the replacement of a live database by an
// image in one transaction.

#include <cstddef>
#include <filesystem>
#include <string>

struct sqlite3;

namespace ortiva::management::sqlite {

/// A snapshot held in memory by a private in-memory database.
class Snapshot {
  public:
    /// Takes the snapshot of the database file; database names it in errors.
    Snapshot(const std::filesystem::path& file, const std::string& database);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    const unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    sqlite3* memory_ = nullptr;
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    bool owns_data_ = false;
};

/// Replaces the content of the database file by the image in one write transaction, so that
/// other connections see the old or the new database, never a mix. Creates the file when
/// create is set. The image bytes may be adjusted in place (journal-mode bytes).
void restore_image(const std::filesystem::path& file, const std::string& database,
                   unsigned char* image, std::size_t size, bool create);

/// The SQLite library's version number, recorded in each backup set.
int sqlite_version_number();

}  // namespace ortiva::management::sqlite
