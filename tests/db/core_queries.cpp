// ClsCommonDb: next numbers, single values and caller-owned record sets.

#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "ortiva/conversions.hpp"

namespace ortiva::testing {
namespace {

ORTIVA_DB_SUITE(CommonDbQueries);

TEST_P(CommonDbQueries, NextNumberReadsTheTextFormOfTheMaximum) {
    struct Case {
        const char* stored;  // SQL literal, the only row of a text column
        int32_t next;
    };
    const std::vector<Case> cases = {
        {"'0007'", 8},  {"'A12'", 1}, {"'12.5'", 14},   {"'11.5'", 12}, {"' 4 1'", 42},
        {"'&H1F'", 32}, {"'-3'", -2}, {"'2.5E1x'", 26}, {"''", 1},      {"NULL", 1},
    };
    create_table("Keys", "Code " + ctx().text_type);
    db.strTableName("Keys");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        exec("delete from Keys");
        exec(std::string("insert into Keys (Code) values (") + c.stored + ")");
        EXPECT_EQ(db.fnGetNextMaxNo("Code"), c.next);
    }
}

TEST_P(CommonDbQueries, NextNumberOnNumericColumnsUpToTheLongRange) {
    create_table("Items", "Id " + ctx().int_type + ", Rate " + ctx().real_type);
    db.strTableName("Items");
    EXPECT_EQ(db.fnGetNextMaxNo("Id"), 1);
    EXPECT_EQ(db.LastExecutedSql(), "select max(Id) from Items");

    exec("insert into Items (Id, Rate) values (3, 1.5)");
    exec("insert into Items (Id, Rate) values (41, 0.25)");
    exec("insert into Items (Id, Rate) values (7, NULL)");
    EXPECT_EQ(db.fnGetNextMaxNo("Id"), 42);
    // 2.5 goes to the even neighbour.
    EXPECT_EQ(db.fnGetNextMaxNo("Rate"), 2);
    // The field name is pasted as it is, so an expression works.
    EXPECT_EQ(db.fnGetNextMaxNo("Id + 100"), 142);
    EXPECT_EQ(db.LastExecutedSql(), "select max(Id + 100) from Items");

    // Past the Long range: Overflow.
    exec("insert into Items (Id) values (2147483646)");
    EXPECT_EQ(db.fnGetNextMaxNo("Id"), 2147483647);
    exec("insert into Items (Id) values (2147483647)");
    const ErrorInfo e = raised_by([&] { db.fnGetNextMaxNo("Id"); });
    EXPECT_EQ(e.number(), err::overflow);
    EXPECT_EQ(db.LastExecutedSql(), "select max(Id) from Items");
}

class CommonDbLookups : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("Items", "Code " + ctx().int_type + ", Name " + ctx().text_type + ", Rate " +
                                  ctx().real_type);
        exec("insert into Items (Code, Name, Rate) values (5, 'Nut', 1.5)");
        exec("insert into Items (Code, Name, Rate) values (6, NULL, 2)");
        db.strTableName("Items");
    }
};
ORTIVA_DB_DRIVERS(CommonDbLookups);

TEST_P(CommonDbLookups, BuildsTheStatementAndReturnsTheFirstValue) {
    struct Case {
        const char* field;
        Variant condition;
        const char* sql;
        Variant expected;
    };
    const std::vector<Case> cases = {
        {"Name", Variant::missing(), "select Name from Items", "Nut"},
        {"Name", "Code = 5", "select Name from Items where Code = 5", "Nut"},
        {"Name, Code", "Code = 5", "select Name, Code from Items where Code = 5", "Nut"},
        {"Name", "Code = 6", "select Name from Items where Code = 6", Variant()},
        {"Rate", "Code = 5", "select Rate from Items where Code = 5", 1.5},
        {"Name", "Code = 99", "select Name from Items where Code = 99", Variant()},
        {"Name", "Code > 5 or Name is null",
         "select Name from Items where Code > 5 or Name is null", Variant()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(db.fnReturnField(c.field, c.condition), c.expected);
        EXPECT_EQ(db.LastExecutedSql(), c.sql);
    }
}

TEST_P(CommonDbLookups, EmptyOrNullConditionEndsInWhereAndFailsUnchanged) {
    for (const Variant& condition : {Variant(""), Variant::null()}) {
        db.strTableName("Items");
        const ErrorInfo e = raised_by([&] { db.fnReturnField("Name", condition); });
        EXPECT_EQ(db.LastExecutedSql(), "select Name from Items where ");
        expect_same_failure(e, seam_error("select Name from Items where "));
    }
}

TEST_P(CommonDbLookups, RecordsetBelongsToTheCallerAndOutlivesTheObject) {
    const std::string query = "  select Code, Name from Items order by Code desc ";
    std::shared_ptr<Recordset> rs;
    {
        ClsCommonDb owner;
        owner.SetPropertyValues(connection_string, ctx().user, ctx().password);
        rs = owner.fnReturnRecords(query);
        EXPECT_EQ(owner.LastExecutedSql(), query);
    }
    ASSERT_EQ(rs->State(), adStateOpen);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(to_int32(rs->Fields()["Code"].Value()), 6);
    rs->Fields()["Name"].Value(Variant("Washer"));
    rs->Update();
    rs->Close();
    EXPECT_EQ(to_text(scalar("select Name from Items where Code = 6")), "Washer");
}

TEST_P(CommonDbLookups, BadQueriesForRecordsFailUnchanged) {
    const std::string bad = "select * from NoSuchTable";
    const ErrorInfo e = raised_by([&] { db.fnReturnRecords(bad); });
    EXPECT_EQ(db.LastExecutedSql(), bad);
    expect_same_failure(e, seam_error(bad, adOpenKeyset, adLockOptimistic));
}

}  // namespace
}  // namespace ortiva::testing
