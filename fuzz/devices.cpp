// Device files from disk: the backup header, restore and append on mutated devices. A refused
// restore leaves the live database as it was, a refused append leaves the device as it was,
// and whatever is accepted gives back exactly the rows that were backed up.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "ortiva/management.hpp"

using namespace ortiva;
using fuzz::refused;
namespace fs = std::filesystem;

namespace {

std::string read_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// The names in items, in order; empty when the database cannot be read.
std::vector<std::string> items(const fs::path& db_file) {
    std::vector<std::string> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(db_file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "select name from items order by id", -1, &stmt, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

struct Fixture {
    fs::path dir;
    fs::path live;
    fs::path device;
    std::string live_bytes;
    std::string device_bytes;  // two good sets
    std::vector<std::string> rows;

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "ortiva-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        dir = fs::path(pattern) / "server";
        management::create_server_directory(dir);
        management::add_backup_device(dir, "DISK1", "disk1.bak");
        live = dir / "live.db";
        device = dir / "disk1.bak";
        sqlite3* db = nullptr;
        sqlite3_open(live.c_str(), &db);
        sqlite3_exec(db,
                     "create table items (id integer primary key, name text);"
                     "insert into items (name) values ('alpha'), ('beta'), ('gamma')",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        rows = items(live);
        auto server = connect();
        for (bool initialize : {true, false})
            management::Backup{initialize, "live", "set", "DISK1"}.run(*server);
        live_bytes = read_bytes(live);
        device_bytes = read_bytes(device);
    }

    std::unique_ptr<management::Server> connect() const {
        auto server = management::create_server();
        server->connect(dir.string(), "fuzz", "");
        return server;
    }
};

// The good device with the input's bytes written over it, or cut short, or only the input.
std::string mutated(FuzzedDataProvider& in, const std::string& good) {
    const auto mode = in.ConsumeIntegralInRange(0, 3);
    const auto at = in.ConsumeIntegralInRange<size_t>(0, good.size());
    if (mode == 0) return in.ConsumeRemainingBytesAsString();
    if (mode == 1) return good.substr(0, at);
    std::string bytes = good;
    const std::string patch = in.ConsumeRemainingBytesAsString();
    if (mode == 2) return bytes.replace(at, patch.size(), patch);
    return bytes.insert(at, patch);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Fixture fixture;
    FuzzedDataProvider in(data, size);
    const auto position = in.ConsumeIntegralInRange<int32_t>(1, 3);
    const bool append = in.ConsumeBool();
    const std::string device = mutated(in, fixture.device_bytes);
    write_bytes(fixture.device, device);
    write_bytes(fixture.live, fixture.live_bytes);
    auto server = fixture.connect();

    // The header: refused, or every cell of every set readable.
    refused([&] {
        const auto header = server->backup_device("DISK1")->read_backup_header();
        for (int32_t r = 1; r <= header->rows(); ++r) {
            for (int32_t c = 1; c <= header->columns(); ++c)
                header->cell(r, c);
        }
    });

    management::Restore restore;
    restore.database = "live";
    restore.devices = "DISK1";
    restore.file_number = position;
    if (refused([&] { server->run_restore(restore); })) {
        FUZZ_CHECK(read_bytes(fixture.live) == fixture.live_bytes,
                   "a refused restore changed the live database");
    } else {
        FUZZ_CHECK(items(fixture.live) == fixture.rows, "a restore gave other rows");
    }

    if (append) {
        const std::string before = read_bytes(fixture.device);
        write_bytes(fixture.live, fixture.live_bytes);
        if (refused([&] { management::Backup{false, "live", "more", "DISK1"}.run(*server); })) {
            FUZZ_CHECK(read_bytes(fixture.device) == before, "a refused append changed the device");
        } else {
            // The appended set is the last one and restores to the rows backed up.
            const auto header = server->backup_device("DISK1")->read_backup_header();
            FUZZ_CHECK(header->rows() >= 1, "an appended set is not listed");
            management::Restore check{"copy", "DISK1", header->rows(), false};
            fs::remove(fixture.dir / "copy.db");
            check.run(*server);
            FUZZ_CHECK(items(fixture.dir / "copy.db") == fixture.rows, "the appended set");
            fs::remove(fixture.dir / "copy.db");
        }
    }
    return 0;
}
