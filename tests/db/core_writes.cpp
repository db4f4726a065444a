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
INSTANTIATE_TEST_SUITE_P(Drivers, CommonDbWrites, ::testing::ValuesIn(db_contexts()),
                         ContextName{});

// ---- fnInsertRecord ----

TEST_P(CommonDbWrites, InsertStoresValuesByPositionAndMissingAsNull) {
    EXPECT_TRUE(db.fnInsertRecord({7, "Nut", 1.5}));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Items");
    EXPECT_TRUE(db.fnInsertRecord({8, Variant::missing(), 2.5}));
    EXPECT_TRUE(db.fnInsertRecord({9, "Bolt", Variant::missing()}));
    EXPECT_EQ(items(), (Texts{"7|Nut|1.5", "8|NULL|2.5", "9|Bolt|NULL"}));
}

TEST_P(CommonDbWrites, InsertWithTheWrongNumberOfValuesWritesNothing) {
    for (const VariantArray& values : {VariantArray{7, "Nut"}, VariantArray{7, "Nut", 1.5, 9},
                                       VariantArray(std::vector<Variant>{})}) {
        SCOPED_TRACE(values.size());
        expect_validation_failure(raised_by([&] { db.fnInsertRecord(values); }), count_message);
        EXPECT_EQ(db.LastExecutedSql(), "Select * from Items");
    }
    EXPECT_TRUE(items().empty());
}

TEST_P(CommonDbWrites, InsertFromArraysNotBasedAtZeroFailsWithSubscriptError) {
    const std::vector<VariantArray> malformed = {
        VariantArray(),                               // never given elements
        VariantArray({7, "Nut"}, 1),                  // upper bound 2, but no element 0
        VariantArray::with_bounds({{0, 2}, {0, 0}}),  // two dimensions
    };
    for (const auto& values : malformed) {
        EXPECT_EQ(raised_by([&] { db.fnInsertRecord(values); }).number(), 9);
    }
    EXPECT_TRUE(items().empty());
}

TEST_P(CommonDbWrites, TrailingRowguidInAnyCaseIsLeftToTheServer) {
    int n = 0;
    for (const std::string column : {"rowguid", "RowGuid", "ROWGUID"}) {
        SCOPED_TRACE(column);
        const std::string table = "Guarded" + std::to_string(++n);
        create_table(table, "Code " + ctx().int_type + ", Name " + ctx().text_type + ", " + column +
                                " " + ctx().text_type);
        db.strTableName(table);
        expect_validation_failure(raised_by([&] {
                                      db.fnInsertRecord({1, "Nut", "guid"});
                                  }),
                                  count_message);
        EXPECT_TRUE(db.fnInsertRecord({1, "Nut"}));
        EXPECT_EQ(texts("select Code, Name, " + column + " from " + table), (Texts{"1|Nut|NULL"}));
    }
}

TEST_P(CommonDbWrites, RowguidElsewhereCountsLikeAnyColumn) {
    create_table("GuidFirst", "ROWGUID " + ctx().text_type + ", Code " + ctx().int_type);
    db.strTableName("GuidFirst");
    expect_validation_failure(raised_by([&] { db.fnInsertRecord({1}); }), count_message);
    EXPECT_TRUE(db.fnInsertRecord({"g-1", 1}));
    EXPECT_EQ(texts("select ROWGUID, Code from GuidFirst"), (Texts{"g-1|1"}));
}

TEST_P(CommonDbWrites, RejectedInsertLeavesNoPendingRow) {
    create_table("Strict", "Code " + ctx().int_type + " NOT NULL, Name " + ctx().text_type);
    db.strTableName("Strict");
    const ErrorInfo e = raised_by([&] { db.fnInsertRecord({Variant::missing(), "lost"}); });
    EXPECT_NE(e.number(), 1);
    EXPECT_EQ(e.description().find("HINT"), std::string::npos);
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
INSTANTIATE_TEST_SUITE_P(Drivers, CommonDbUpdates, ::testing::ValuesIn(db_contexts()),
                         ContextName{});

TEST_P(CommonDbUpdates, ChangesTheFirstMatchingRowOnly) {
    EXPECT_TRUE(db.fnUpdateSelectedRecord("Code = 7", {"Name", "Bolt", "Rate", 2}));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from Items where Code = 7");
    const Texts after = items();
    const bool first_changed = after == Texts{"7|B|1", "7|Bolt|2", "8|C|1"};
    const bool second_changed = after == Texts{"7|A|1", "7|Bolt|2", "8|C|1"};
    EXPECT_TRUE(first_changed || second_changed) << ::testing::PrintToString(after);
}

TEST_P(CommonDbWrites, TablesFoundOnlyByTheirKeyOrWithAColumnNamedRowidAreWritten) {
    exec("create table K (Code " + ctx().int_type + " primary key, Name " + ctx().text_type + ")" +
         ctx().without_rowid);
    create_table("R", "rowid " + ctx().int_type + ", Name " + ctx().text_type);
    for (const std::string table : {"K", "R"}) {
        SCOPED_TRACE(table);
        db.strTableName(table);
        EXPECT_TRUE(db.fnInsertRecord({1, "one"}));
        EXPECT_TRUE(db.fnInsertRecord({2, "two"}));
        EXPECT_TRUE(db.fnUpdateSelectedRecord("Name = 'two'", {"Name", "second"}));
        EXPECT_EQ(texts("select * from " + table + " order by 1"), (Texts{"1|one", "2|second"}));
    }
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

TEST_P(CommonDbUpdates, MissingValueSetsNull) {
    EXPECT_TRUE(db.fnUpdateSelectedRecord("Code = 8", {"Rate", Variant::missing(), "Name", "D"}));
    EXPECT_EQ(texts("select Name, Rate from Items where Code = 8"), (Texts{"D|NULL"}));
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
    EXPECT_EQ(e.description().find("HINT"), std::string::npos);
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

    const ErrorInfo del = raised_by([&] { db.fnDeleteSelectedRecord(""); });
    EXPECT_EQ(db.LastExecutedSql(), "delete from Items where ");
    EXPECT_NE(del.number(), 3709);
    EXPECT_EQ(del.description().find("HINT"), std::string::npos);
    EXPECT_EQ(items().size(), 3u);
}

}  // namespace
}  // namespace ortiva::testing
