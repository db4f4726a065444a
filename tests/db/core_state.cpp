// ClsCommonDb: connecting, the object's state reports, shared connections and transactions.

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/date.hpp"
#include "support/controls.hpp"

namespace ortiva::testing {
namespace {

/// What the data-access layer raises for an operation on an unopened connection.
ErrorInfo closed_connection_error() {
    return raised_by([] { Connection::create()->BeginTrans(); });
}

// ---- An object that never connected ----

struct UnconnectedCase {
    const char* name;
    std::function<void(ClsCommonDb&)> call;
    bool hinted;
    const char* last_sql;
};

TEST(CommonDbUnconnected, FailsWith3709HintedOnlyByTableOperations) {
    ClsCommonDb fresh;
    EXPECT_EQ(fresh.dtSystemDate().serial, 0.0);
    EXPECT_EQ(fresh.strTableName(), "");
    EXPECT_EQ(fresh.LastExecutedSql(), "");
    EXPECT_EQ(fresh.ConState(), 0);
    const ErrorInfo set = raised_by([&] { fresh.LastExecutedSql("delete from Items"); });
    EXPECT_EQ(set.number(), 387);
    EXPECT_EQ(set.description(), "Set not permitted");
    EXPECT_EQ(set.source(), "Ortiva.ClsCommonDb");

    VariantArray map{"N", Variant(int16_t{1})};
    auto grid = grid_with({{"", "x"}});
    auto lvw = list_view_with(2, {{"a", "b"}});
    auto combo = memory::create_control("ComboBox", "c");
    combo->call("AddItem", {Variant("old")});
    std::string condition = " CODE = 1";
    const std::vector<UnconnectedCase> cases = {
        {"fnGetNextMaxNo", [](ClsCommonDb& db) { db.fnGetNextMaxNo("Id"); }, true,
         "select max(Id) from Items"},
        {"fnReturnField", [](ClsCommonDb& db) { db.fnReturnField("Name", Variant("Code = 5")); },
         true, "select Name from Items where Code = 5"},
        {"fnReturnRecords", [](ClsCommonDb& db) { db.fnReturnRecords("select 1"); }, true,
         "select 1"},
        {"fnInsertRecord",
         [](ClsCommonDb& db) {
             db.fnInsertRecord(VariantArray{7, "Nut"});
         },
         true, "Select * from Items"},
        {"fnUpdateSelectedRecord",
         [](ClsCommonDb& db) {
             db.fnUpdateSelectedRecord("Code = 7", VariantArray{"Name", 1});
         },
         true, "Select * from Items where Code = 7"},
        {"fnDeleteSelectedRecord", [](ClsCommonDb& db) { db.fnDeleteSelectedRecord("Code = 99"); },
         true, "delete from Items where Code = 99"},
        {"fnInsertGridDetails", [&](ClsCommonDb& db) { db.fnInsertGridDetails(*grid, map); }, true,
         "Select * from Items"},
        {"fnUpdateListViewDetails", [&](ClsCommonDb& db) { db.fnUpdateListViewDetails(*lvw, map); },
         true, "Select * from Items"},
        {"PopulateComboOrList", [&](ClsCommonDb& db) { db.PopulateComboOrList(*combo, "C", "N"); },
         true, "select C, N from Items"},
        {"PopulateListview",
         [&](ClsCommonDb& db) {
             db.PopulateListview(*lvw, "Items", condition, {"C", "N"});
         },
         false, "select C,N  From  Items where CODE = 1"},
        {"BeginTrans", [](ClsCommonDb& db) { db.BeginTrans(); }, false, ""},
        {"CommitTrans", [](ClsCommonDb& db) { db.CommitTrans(); }, false, ""},
        {"RollBackTrans", [](ClsCommonDb& db) { db.RollBackTrans(); }, false, ""},
    };
    const ErrorInfo closed = closed_connection_error();
    ASSERT_EQ(closed.number(), 3709);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClsCommonDb db;
        db.strTableName("Items");
        const ErrorInfo e = raised_by([&] { c.call(db); });
        expect_same_failure(e, closed, closed.description() + (c.hinted ? hint : ""));
        EXPECT_THROW(db.LastExecutedSql("delete from Items"), ErrorInfo);
        EXPECT_EQ(db.LastExecutedSql(), c.last_sql);
    }
    // No running number was handed out, the combo box was emptied, and the list view that was
    // hidden while it filled is shown again.
    EXPECT_EQ(map[1], Variant(int16_t{1}));
    EXPECT_TRUE(entries(*combo).empty());
    EXPECT_TRUE(to_bool(lvw->get("Visible")));
}

// ---- Connecting ----

ORTIVA_DB_SUITE(CommonDbState);

TEST_P(CommonDbState, ConnectingRecordsTheProbeAndTheServerTime) {
    EXPECT_EQ(db.LastExecutedSql(), "select getdate()");
    EXPECT_EQ(db.ConState(), 1);
    const double server_now = to_date(scalar("select getdate()")).serial;
    // Within five seconds of the server's clock now.
    EXPECT_LT(std::fabs(db.dtSystemDate().serial - server_now), 5.0 / 86400);
    EXPECT_GT(db.dtSystemDate().serial, Date::from_fields(2020, 1, 1).serial);
}

TEST_P(CommonDbState, DefaultTableIsTestedTrimmedButStoredAsPassed) {
    struct Case {
        const char* passed;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {nullptr, "Prev"}, {"", "Prev"}, {"   ", "Prev"}, {" Items ", " Items "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.passed ? std::string("'") + c.passed + "'" : "omitted");
        ClsCommonDb fresh;
        fresh.strTableName("Prev");
        if (c.passed) {
            fresh.SetPropertyValues(ctx().fresh_database(), ctx().user, ctx().password, c.passed);
        } else {
            fresh.SetPropertyValues(ctx().fresh_database(), ctx().user, ctx().password);
        }
        EXPECT_EQ(fresh.strTableName(), c.expected);
    }
}

TEST_P(CommonDbState, SecondConnectFailsAndKeepsTheState) {
    db.strTableName("Items");
    const Date connected_at = db.dtSystemDate();
    const std::string again = ctx().fresh_database();
    const ErrorInfo e =
        raised_by([&] { db.SetPropertyValues(again, ctx().user, ctx().password, "Other"); });
    EXPECT_EQ(e.number(), 3705);
    EXPECT_EQ(db.LastExecutedSql(), again);
    EXPECT_EQ(db.strTableName(), "Items");
    EXPECT_EQ(db.dtSystemDate(), connected_at);
    EXPECT_EQ(db.ConState(), 1);
    // Still the first database.
    create_table("Items", "Code " + ctx().int_type);
    exec("insert into Items (Code) values (4)");
    EXPECT_EQ(db.fnGetNextMaxNo("Code"), 5);
}

TEST_P(CommonDbState, FailedOpenLeavesTheConnectionStringAsLastSql) {
    ClsCommonDb fresh;
    fresh.strTableName("Prev");
    const std::string bad = "Provider=NoSuchProvider;Data Source=nowhere";
    const ErrorInfo e =
        raised_by([&] { fresh.SetPropertyValues(bad, ctx().user, ctx().password, "Items"); });
    EXPECT_NE(e.number(), 0);
    EXPECT_EQ(fresh.LastExecutedSql(), bad);
    EXPECT_EQ(fresh.strTableName(), "Prev");
    EXPECT_EQ(fresh.dtSystemDate().serial, 0.0);
    EXPECT_EQ(fresh.ConState(), 0);
}

// ---- Sharing a connection ----

TEST_P(CommonDbState, SharedConnectionOutlivesTheObject) {
    create_table("Items", "Code " + ctx().int_type + ", Name " + ctx().text_type);
    auto shared = Connection::create();
    shared->Open(connection_string, ctx().user, ctx().password);
    {
        ClsCommonDb user;
        user.adocon(shared);
        EXPECT_EQ(user.ConState(), 1);
        EXPECT_EQ(user.dtSystemDate().serial, 0.0);
        EXPECT_EQ(user.LastExecutedSql(), "");
        user.strTableName("Items");
        EXPECT_TRUE(user.fnInsertRecord({1, "Nut"}));
    }
    EXPECT_EQ(shared->State(), 1);
    EXPECT_EQ(to_int32(shared->Execute("select count(*) from Items")->Fields()[0].Value()), 1);
}

TEST_P(CommonDbState, AssigningNoConnectionStartsOverUnopened) {
    db.strTableName("Items");
    db.adocon(nullptr);
    EXPECT_EQ(db.ConState(), 0);
    EXPECT_EQ(db.LastExecutedSql(), "select getdate()");
    EXPECT_EQ(raised_by([&] { db.fnGetNextMaxNo("Id"); }).number(), 3709);
    // A caller reconnects by assigning none and connecting again.
    db.SetPropertyValues(connection_string, ctx().user, ctx().password);
    EXPECT_EQ(db.ConState(), 1);
}

// ---- Transactions ----

TEST_P(CommonDbState, RollbackLeavesNothingBehindAndCommitKeeps) {
    create_table("Items", "Code " + ctx().int_type + ", Name " + ctx().text_type);
    db.strTableName("Items");

    db.BeginTrans();
    EXPECT_TRUE(db.fnInsertRecord({1, "Nut"}));
    EXPECT_TRUE(db.fnInsertRecord({2, "Bolt"}));
    EXPECT_EQ(db.fnGetNextMaxNo("Code"), 3);
    db.RollBackTrans();
    EXPECT_TRUE(rows("select Code from Items").empty());
    EXPECT_EQ(db.fnGetNextMaxNo("Code"), 1);

    db.BeginTrans();
    EXPECT_TRUE(db.fnInsertRecord({5, "Washer"}));
    db.CommitTrans();
    EXPECT_EQ(texts("select Code, Name from Items"), (std::vector<std::string>{"5|Washer"}));
}

}  // namespace
}  // namespace ortiva::testing
