// Caller SQL through Recordset::Open with every cursor kind and location, on a fresh
// in-memory database per input.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/recordset.hpp"
#include "sqlite_guard.hpp"

using namespace ortiva;
using fuzz::refused;

namespace {

std::vector<Variant> row_of(Recordset& rs) {
    std::vector<Variant> row;
    for (int32_t i = 0; i < rs.Fields().Count(); ++i)
        row.push_back(rs.Fields()[i].Value());
    return row;
}

// Reads every row (up to a bound) and checks what the cursor kind promises: a static cursor
// knows its count and reads the same first row again after MoveFirst.
void exercise(Recordset& rs, int32_t cursor, int32_t location, const std::string& sql) {
    const bool counted = cursor == adOpenStatic || location == adUseClient;
    const int32_t count = rs.RecordCount();
    std::vector<Variant> first;
    int32_t rows = 0;
    while (!rs.Eof() && rows < 1000) {
        auto row = row_of(rs);
        if (rows == 0) first = std::move(row);
        ++rows;
        rs.MoveNext();
    }
    if (counted && rs.Eof()) FUZZ_CHECK(count == rows, sql);
    if (counted && rows > 0) {
        rs.MoveFirst();
        FUZZ_CHECK(row_of(rs) == first, sql);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool guarded = (fuzz::sqlite_guard_install(), true);
    (void)guarded;
    FuzzedDataProvider in(data, size);
    const auto kinds = in.ConsumeIntegral<uint8_t>();
    const std::string sql = in.ConsumeRemainingBytesAsString();

    fuzz::sqlite_guard_reset();
    auto db = Connection::create();
    db->Open("Data Source=:memory:");
    db->Execute(
        "create table T (Id integer primary key, Name text, Amount real);"
        "insert into T values (1, 'one', 1.5);"
        "create table K (Code text primary key, N int) without rowid;"
        "insert into K values ('a', 1)");

    // Each cursor kind in turn, the first one chosen by the input; SQL that changes the
    // database changes it for the kinds after it, as it would for a caller.
    for (int32_t step = 0; step < 4; ++step) {
        const int32_t cursor = (kinds + step) % 4;
        const int32_t lock = cursor == adOpenKeyset ? adLockOptimistic : adLockReadOnly;
        const int32_t location = (kinds >> 2) & 1 ? adUseClient : adUseServer;
        fuzz::sqlite_guard_reset();
        Recordset rs;
        if (refused([&] { rs.CursorLocation(location); })) continue;
        if (refused([&] { rs.Open(sql, db, cursor, lock); })) {
            FUZZ_CHECK(rs.State() == adStateClosed, sql);
            continue;
        }
        if (rs.State() != adStateOpen) continue;  // a statement without rows
        refused([&] { exercise(rs, cursor, location, sql); });
        refused([&] { rs.Close(); });
    }
    // Whatever the SQL did, the connection still answers.
    fuzz::sqlite_guard_reset();
    int32_t number = 0;
    Variant two;
    if (!refused([&] { two = db->Execute("select 1 + 1")->Fields()[0].Value(); }, &number))
        FUZZ_CHECK(to_int32(two) == 2, sql);
    else
        FUZZ_CHECK(false, "the connection no longer answers after: " + sql);
    return 0;
}
