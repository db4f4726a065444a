// Connection strings: refused with 3001 or read into pairs that survive a round trip, then
// opened on SQLite inside a scratch directory.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fuzz_support.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/recordset.hpp"
#include "seams/data_driver.hpp"

using namespace ortiva;
using detail::ConnectionString;

namespace {

std::string braced(const std::string& value) {
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ortiva-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        return std::filesystem::path(pattern);
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ConnectionString cs;
    int32_t number = 0;
    if (fuzz::refused([&] { cs = ConnectionString::parse(text); }, &number)) {
        FUZZ_CHECK(number == err::ado_wrong_arguments, text);
        return 0;
    }

    // Written back braced, the pairs read the same.
    std::string again;
    for (const auto& [key, value] : cs.values)
        again += key + "=" + braced(value) + ";";
    FUZZ_CHECK(ConnectionString::parse(again).values == cs.values, again);

    // Opened with the database file moved into the scratch directory, so that a fuzzed path
    // never writes anywhere else.
    const auto file = scratch() / "db.sqlite";
    std::string safe;
    for (const auto& [key, value] : cs.values) {
        const bool path = key == "DATA SOURCE" && value != ":memory:";
        safe += key + "=" + braced(path ? file.string() : value) + ";";
    }
    auto connection = Connection::create();
    if (fuzz::refused([&] { connection->Open(safe); })) {
        FUZZ_CHECK(connection->State() == adStateClosed, safe);
        FUZZ_CHECK(!std::filesystem::exists(file), "a refused open left a file: " + safe);
    } else {
        FUZZ_CHECK(connection->State() == adStateOpen, safe);
        Recordset rs;
        rs.Open("select 1 + 1", connection);
        FUZZ_CHECK(to_int32(rs.Fields()[0].Value()) == 2, safe);
        rs.Close();
        connection->Close();
    }
    std::filesystem::remove(file);
    return 0;
}
