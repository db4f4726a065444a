#include <cstring>

#include "management/errors.hpp"
#include "management/server.hpp"
#include "management/sqlite/image.hpp"
#include "ortiva/date.hpp"

namespace ortiva::management::sqlite {

namespace {

// A server directory's databases are the files NAME.db in it.
class SqliteEngine final : public Engine {
  public:
    explicit SqliteEngine(std::filesystem::path dir) : dir_(std::move(dir)) {}

    bool database_exists(const std::string& database) override {
        const auto file = file_of(database);
        std::error_code ec;
        const auto status = std::filesystem::status(file, ec);
        if (!std::filesystem::exists(status)) return false;
        // SQLite would open a FIFO and wait on it for ever.
        if (!std::filesystem::is_regular_file(status))
            fail(Error::io, {"Restoring into", file.string(), "it is not a regular file"});
        return true;
    }

    uint32_t version() override { return static_cast<uint32_t>(sqlite_version_number()); }

    std::string now() override { return Date::now().format("yyyy-mm-dd hh:mm:ss"); }

    WrittenImage write_image(const std::string& database, int fd, uint64_t offset) override {
        WrittenImage image;
        image.size = write_snapshot(file_of(database), database, fd, offset);
        return image;
    }

    std::string image_problem(const VerifiedSet& set, const std::string& database) override {
        static constexpr char magic[] = "SQLite format 3";  // with its NUL: 16 bytes
        char start[sizeof magic] = {};
        const uint64_t size = set.set.header.image_size;
        if (size > 0 &&
            (set.file.read_at(set.image_offset(), start, sizeof start) != sizeof start ||
             std::memcmp(start, magic, sizeof magic) != 0))
            return "it does not hold a database image";
        const std::string problem =
            sqlite::image_problem(set.file.fd(), set.image_offset(), size, database);
        return problem.empty() ? problem : "its database image: " + problem;
    }

    void restore_image(const VerifiedSet& set, const std::string& database, bool create) override {
        const auto file = file_of(database);
        try {
            sqlite::restore_image(file, database, set.file.fd(), set.image_offset(),
                                  set.set.header.image_size, create);
        } catch (...) {
            std::error_code ec;
            if (create) std::filesystem::remove(file, ec);
            throw;
        }
    }

  private:
    std::filesystem::path file_of(const std::string& database) const {
        return dir_ / (database + ".db");
    }

    std::filesystem::path dir_;
};

}  // namespace

std::unique_ptr<Engine> make_engine(const std::filesystem::path& dir) {
    return std::make_unique<SqliteEngine>(dir);
}

}  // namespace ortiva::management::sqlite
