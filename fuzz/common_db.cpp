// ClsCommonDb with hostile table, field and condition texts. Conditions and names are SQL by
// contract; values never are: whatever a value holds, it is stored and read back as data.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"
#include "sqlite_guard.hpp"

using namespace ortiva;
using fuzz::refused;

namespace {

// Values are texts a host could hold: valid UTF-8.
std::string value_text(FuzzedDataProvider& in) {
    return text::from_utf32(text::to_utf32(in.ConsumeRandomLengthString(40)));
}

int32_t count_rows(Connection& db) {
    return to_int32(db.Execute("select count(*) from T")->Fields()[0].Value());
}

Variant column_of(Connection& db, int32_t id, const char* column) {
    return db.Execute("select " + std::string(column) + " from T where Id = " + std::to_string(id))
        ->Fields()[0]
        .Value();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool guarded = (fuzz::sqlite_guard_install(), true);
    (void)guarded;
    FuzzedDataProvider in(data, size);
    fuzz::sqlite_guard_reset();
    auto connection = Connection::create();
    connection->Open("Data Source=:memory:");
    auto& raw = *connection;
    ClsCommonDb db;
    db.adocon(connection);
    db.strTableName("T");
    raw.Execute(
        "create table T (Id integer primary key, Name text, Note text);"
        "insert into T values (1, 'one', 'first')");

    // Values go in and come back exactly, whatever quotes or SQL they hold.
    const std::string name = value_text(in);
    const std::string note = value_text(in);
    const int32_t before = count_rows(raw);
    db.fnInsertRecord(VariantArray({Variant(int32_t{2}), Variant(name), Variant(note)}));
    FUZZ_CHECK(count_rows(raw) == before + 1, name + " / " + note);
    FUZZ_CHECK(column_of(raw, 2, "Name") == Variant(name), name);
    FUZZ_CHECK(column_of(raw, 2, "Note") == Variant(note), note);
    db.fnUpdateSelectedRecord("Id = 1", VariantArray({Variant("Note"), Variant(name)}));
    FUZZ_CHECK(column_of(raw, 1, "Note") == Variant(name), name);
    FUZZ_CHECK(count_rows(raw) == before + 1, name);

    // Hostile names and conditions: answered or refused with an ErrorInfo, never a crash, and
    // the connection still answers afterwards.
    const std::string table = in.ConsumeBool() ? "T" : in.ConsumeRandomLengthString(24);
    const std::string field = in.ConsumeBool() ? "Name" : in.ConsumeRandomLengthString(24);
    const Variant condition =
        in.ConsumeBool() ? Variant::missing() : Variant(in.ConsumeRandomLengthString(40));
    db.strTableName(table);
    fuzz::sqlite_guard_reset();
    refused([&] { db.fnReturnField(field, condition); });
    refused([&] { db.fnGetNextMaxNo(field); });
    refused([&] { db.fnReturnRecords("select " + field + " from " + table); });
    if (condition.is_string()) {
        refused([&] {
            db.fnUpdateSelectedRecord(condition.str(),
                                      VariantArray({Variant(field), Variant(note)}));
        });
        refused([&] { db.fnDeleteSelectedRecord(condition.str()); });
    }
    fuzz::sqlite_guard_reset();
    FUZZ_CHECK(!refused([&] { raw.Execute("select 1"); }), "the connection no longer answers");
    return 0;
}
