// ClsCommonDb: inserting, updating and deleting records of the current table.

#include <string>
#include <vector>

#include "db/db_fixture.hpp"

namespace ortiva::testing {
namespace {

using Texts = std::vector<std::string>;

const char* const count_message =
    "Supplied parameter values should be equal to no of fields in Table";
const char* const pairs_message = "Supplied fields and values does not match";

void expect_validation_failure(const ErrorInfo& e, const std::string& description) {
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.description(), description);
    EXPECT_EQ(e.source(), "");
    EXPECT_EQ(e.help_file(), "");
    EXPECT_EQ(e.help_context(), 0);
}

class CommonDbWrites : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("Items", "Code " + ctx().int_type + ", Name " + ctx().text_type + ", Rate " +
                                  ctx().real_type);
        db.strTableName("Items");
    }
    Texts items() { return texts("select Code, Name, Rate from Items order by Code, Name"); }
};
ORTIVA_DB_DRIVERS(CommonDbWrites);

// ---- fnInsertRecord ----

TEST_P(CommonDbWrites, InsertStoresValuesByPositionAndMissingAsNull) {
    EXPECT_TRUE(db.fnInsertRecord({7, "Nut", 1.5}));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Items");
    EXPECT_TRUE(db.fnInsertRecord({8, Variant::missing(), 2.5}));
    EXPECT_TRUE(db.fnInsertRecord({9, "Bolt", Variant::missing()}));
    EXPECT_EQ(items(), (Texts{"7|Nut|1.5", "8|NULL|2.5", "9|Bolt|NULL"}));
}

TEST_P(CommonDbWrites, InsertOfValuesThatDoNotFitWritesNothing) {
    for (const VariantArray& values : {VariantArray{7, "Nut"}, VariantArray{7, "Nut", 1.5, 9},
                                       VariantArray(std::vector<Variant>{})}) {
        SCOPED_TRACE(values.size());
        expect_validation_failure(raised_by([&] { db.fnInsertRecord(values); }), count_message);
        EXPECT_EQ(db.LastExecutedSql(), "Select * from Items");
    }
    // Arrays not based at zero: never given elements, no element 0, two dimensions.
    for (const VariantArray& values : {VariantArray(), VariantArray({7, "Nut"}, 1),
                                       VariantArray::with_bounds({{0, 2}, {0, 0}})}) {
        EXPECT_EQ(raised_by([&] { db.fnInsertRecord(values); }).number(), 9);
    }
    EXPECT_TRUE(items().empty());
}

TEST_P(CommonDbWrites, OnlyATrailingRowguidInAnyCaseIsLeftToTheServer) {
    struct Case {
        std::string columns;
        VariantArray refused, accepted;
        const char* stored;
    };
    const std::string i = ctx().int_type, t = ctx().text_type;
    const Case cases[] = {
        {"Code " + i + ", Name " + t + ", rowguid " + t, {1, "Nut", "g"}, {1, "Nut"}, "1|Nut|NULL"},
        {"Code " + i + ", Name " + t + ", RowGuid " + t, {1, "Nut", "g"}, {1, "Nut"}, "1|Nut|NULL"},
        {"ROWGUID " + t + ", Code " + i, VariantArray{1}, {"g-1", 1}, "g-1|1"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        const std::string table = "Guarded" + std::to_string(++n);
        create_table(table, c.columns);
        db.strTableName(table);
        expect_validation_failure(raised_by([&] { db.fnInsertRecord(c.refused); }), count_message);
        EXPECT_TRUE(db.fnInsertRecord(c.accepted));
        EXPECT_EQ(texts("select * from " + table), (Texts{c.stored}));
    }
}

TEST_P(CommonDbWrites, RejectedInsertLeavesNoPendingRow) {
    create_table("Strict", "Code " + ctx().int_type + " NOT NULL, Name " + ctx().text_type);
    db.strTableName("Strict");
    const ErrorInfo e = raised_by([&] { db.fnInsertRecord({Variant::missing(), "lost"}); });
    EXPECT_NE(e.number(), 1);
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Strict");
    // The next write must not carry the abandoned row along.
    EXPECT_TRUE(db.fnInsertRecord({1, "kept"}));
    EXPECT_EQ(texts("select Code, Name from Strict"), (Texts{"1|kept"}));
}

// ---- fnUpdateSelectedRecord ----

class CommonDbUpdates : public CommonDbWrites {
  protected:
    void SetUp() override {
        CommonDbWrites::SetUp();
        exec("insert into Items (Code, Name, Rate) values (7, 'A', 1)");
        exec("insert into Items (Code, Name, Rate) values (7, 'B', 1)");
        exec("insert into Items (Code, Name, Rate) values (8, 'C', 1)");
    }
};
ORTIVA_DB_DRIVERS(CommonDbUpdates);

TEST_P(CommonDbUpdates, ChangesTheFirstMatchingRowOnlyAndMissingSetsNull) {
    EXPECT_TRUE(
        db.fnUpdateSelectedRecord("Code = 7", {"Name", "Bolt", "Rate", Variant::missing()}));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Items where Code = 7");
    const Texts after = items();
    const bool first_changed = after == Texts{"7|B|1", "7|Bolt|NULL", "8|C|1"};
    const bool second_changed = after == Texts{"7|A|1", "7|Bolt|NULL", "8|C|1"};
    EXPECT_TRUE(first_changed || second_changed) << ::testing::PrintToString(after);
}

TEST_P(CommonDbUpdates, NamesFieldsByNameOrPosition) {
    const std::vector<Variant> keys = {"Name", "name", Variant(int16_t{1}), Variant(int32_t{1}),
                                       Variant(1.0)};
    for (const auto& key : keys) {
        SCOPED_TRACE(::testing::PrintToString(key));
        EXPECT_TRUE(db.fnUpdateSelectedRecord("Code = 8", {key, "Renamed"}));
        EXPECT_EQ(texts("select Name from Items where Code = 8"), (Texts{"Renamed"}));
        exec("update Items set Name = 'C' where Code = 8");
    }
}

TEST_P(CommonDbUpdates, OddPairListFailsOnlyWhenARowMatches) {
    const VariantArray odd = {"Name", "Bolt", "Rate"};
    expect_validation_failure(raised_by([&] { db.fnUpdateSelectedRecord("Code = 8", odd); }),
                              pairs_message);
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Items where Code = 8");
    EXPECT_TRUE(db.fnUpdateSelectedRecord("Code = 99", odd));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Items where Code = 99");
    EXPECT_EQ(items(), (Texts{"7|A|1", "7|B|1", "8|C|1"}));
}

TEST_P(CommonDbUpdates, FailureMidwayLeavesTheRowAsItWas) {
    const ErrorInfo e = raised_by([&] {
        db.fnUpdateSelectedRecord("Code = 8", {"Name", "X", "Nope", 1});
    });
    EXPECT_NE(e.number(), 1);
    EXPECT_EQ(items(), (Texts{"7|A|1", "7|B|1", "8|C|1"}));
}

// ---- fnDeleteSelectedRecord ----

TEST_P(CommonDbUpdates, DeleteRemovesEveryMatchAndAcceptsNone) {
    EXPECT_TRUE(db.fnDeleteSelectedRecord("Code = 99"));
    EXPECT_EQ(db.LastExecutedSql(), "delete from Items where Code = 99");
    EXPECT_TRUE(db.fnDeleteSelectedRecord("Code = 7"));
    EXPECT_EQ(items(), (Texts{"8|C|1"}));
}

TEST_P(CommonDbUpdates, EmptyConditionEndsInWhereAndFailsUnchanged) {
    const std::string select = "Select * from Items where ";
    const ErrorInfo update = raised_by([&] { db.fnUpdateSelectedRecord("", {"Name", "X"}); });
    EXPECT_EQ(db.LastExecutedSql(), select);
    expect_same_failure(update, seam_error(select, adOpenKeyset, adLockOptimistic));

    EXPECT_NE(error_of([&] { db.fnDeleteSelectedRecord(""); }), 0);
    EXPECT_EQ(db.LastExecutedSql(), "delete from Items where ");
    EXPECT_EQ(items().size(), 3u);
}

}  // namespace
}  // namespace ortiva::testing
