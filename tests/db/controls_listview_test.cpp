#include <string>

#include "db/db_fixture.hpp"
#include "support/controls.hpp"

namespace ortiva::testing {
namespace {

constexpr const char* column_message =
    "No of Columns in the list should be equal to Field  names supplied";

class PopulateListviewTest : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("ITEMS", "CODE " + ctx().int_type + ", NAME " + ctx().text_type + ", NOTE " +
                                  ctx().text_type);
        exec("insert into ITEMS values (10, 'Alpha', 'x')");
        exec("insert into ITEMS values (20, 'Beta', NULL)");
        exec("insert into ITEMS values (30, 'Gamma', 'z')");
    }

    // Inserts n rows numbered 1..n in one statement.
    void numbers(int n) {
        create_table("NUMS", "N " + ctx().int_type);
        exec("with recursive c(x) as (select 1 union all select x + 1 from c where x < " +
             std::to_string(n) + ") insert into NUMS select x from c");
    }

    std::shared_ptr<HeadlessRuntime> runtime = quiet_runtime();
    ScopedHostRuntime scope{runtime};
};
ORTIVA_DB_DRIVERS(PopulateListviewTest);

TEST_P(PopulateListviewTest, RefillReplacesTheRowsAndTrimsTheConditionInPlace) {
    auto lvw = list_view_with(2, {{"old", "row"}});
    struct Case {
        std::string condition, sql, trimmed;
        Cells rows;
    };
    const Case cases[] = {
        {" CODE > 15 ",
         "select CODE,NAME  From  ITEMS where CODE > 15",
         "CODE > 15",
         {{"20", "Beta"}, {"30", "Gamma"}}},
        {"   ",
         "select CODE,NAME  From  ITEMS",
         "",
         {{"10", "Alpha"}, {"20", "Beta"}, {"30", "Gamma"}}},
        {"CODE < 0", "select CODE,NAME  From  ITEMS where CODE < 0", "CODE < 0", {}},
    };
    for (const auto& c : cases) {
        std::string condition = c.condition;
        db.PopulateListview(*lvw, "ITEMS", condition, {"CODE", "NAME"});
        EXPECT_EQ(db.LastExecutedSql(), c.sql);
        EXPECT_EQ(condition, c.trimmed);
        EXPECT_EQ(cells(*lvw), c.rows) << c.condition;
        EXPECT_EQ(selected_row(*lvw), c.rows.empty() ? 0 : 1);
        EXPECT_TRUE(to_bool(lvw->get("Visible")));
    }
}

TEST_P(PopulateListviewTest, FieldColumnsTakeResultFieldsInOrderAroundFillers) {
    struct Case {
        VariantArray entries;
        std::string sql;
        Cells rows;
    };
    const Case cases[] = {
        // A Null sub-item stays empty and the next field column still gets its own field.
        {{"CODE", "NOTE", "NAME"},
         "select CODE,NOTE,NAME  From  ITEMS",
         {{"10", "x", "Alpha"}, {"20", "", "Beta"}, {"30", "z", "Gamma"}}},
        // Fillers between fields: constants, as text or number, show themselves; "SKIP" leaves
        // the column empty and "SLNO" numbers the rows, both case-blind.
        {{"skip", "CODE", "12", Variant(7.5), "Slno", "NAME"},
         "select CODE,NAME  From  ITEMS",
         {{"", "10", "12", "7.5", "1", "Alpha"},
          {"", "20", "12", "7.5", "2", "Beta"},
          {"", "30", "12", "7.5", "3", "Gamma"}}},
        // The first field entry keeps its spaces until a second one follows.
        {{" CODE ", " NAME "},
         "select CODE, NAME   From  ITEMS",
         {{"10", "Alpha"}, {"20", "Beta"}, {"30", "Gamma"}}},
    };
    for (const auto& c : cases) {
        auto lvw = list_view(static_cast<int>(c.entries.size()));
        std::string condition;
        db.PopulateListview(*lvw, "ITEMS", condition, c.entries);
        EXPECT_EQ(db.LastExecutedSql(), c.sql);
        EXPECT_EQ(cells(*lvw), c.rows) << c.sql;
    }
}

TEST_P(PopulateListviewTest, EventsEveryHundredRowsUpToTheLargestCountThatFitsSixteenBits) {
    numbers(32768);
    struct Case {
        std::string condition;
        int rows, events;
    };
    for (const Case& c : {Case{"N <= 99", 99, 0}, Case{"N <= 100", 100, 1},
                          Case{"N <= 250", 250, 2}, Case{"N < 32768", 32767, 327}}) {
        SCOPED_TRACE(c.condition);
        runtime->reset_records();
        auto lvw = list_view(2);
        std::string condition = c.condition;
        db.PopulateListview(*lvw, "NUMS", condition, {"SLNO", "N"});
        const Cells rows = cells(*lvw);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.rows));
        const std::string last = std::to_string(c.rows);
        EXPECT_EQ(rows.back(), (std::vector<std::string>{last, last}));
        EXPECT_EQ(runtime->do_events_count(), c.events);
        EXPECT_EQ(selected_row(*lvw), 1);
    }

    // One row more fails with Overflow before any row is added.
    auto lvw = list_view_with(2, {{"old", "row"}});
    std::string condition;
    const ErrorInfo e = raised_by([&] {
        db.PopulateListview(*lvw, "NUMS", condition, {"SLNO", "N"});
    });
    EXPECT_EQ(e.number(), err::overflow);
    EXPECT_TRUE(cells(*lvw).empty());
    EXPECT_TRUE(to_bool(lvw->get("Visible")));
    EXPECT_EQ(db.LastExecutedSql(), "select N  From  NUMS");
}

TEST_P(PopulateListviewTest, ColumnCountMismatchFailsBeforeAnyQuery) {
    auto lvw = list_view_with(4, {{"a", "b", "c", "d"}});
    db.strTableName("ITEMS");
    const std::string before = db.LastExecutedSql();
    std::string condition = "  CODE = 1 ";
    const ErrorInfo e = raised_by([&] {
        db.PopulateListview(*lvw, "ITEMS", condition, {"SLNO", "CODE", "SKIP", "NAME", "0"});
    });
    EXPECT_EQ(e.number(), err::app_defined);
    EXPECT_EQ(e.description(), column_message);
    EXPECT_EQ(e.source(), "");
    EXPECT_EQ(db.LastExecutedSql(), before);
    EXPECT_EQ(condition, "CODE = 1");
    EXPECT_TRUE(cells(*lvw).empty());
    EXPECT_TRUE(to_bool(lvw->get("Visible")));
}

TEST_P(PopulateListviewTest, RowsAddedBeforeAFailureStay) {
    exec("insert into ITEMS values (40, NULL, 'n')");
    auto lvw = list_view(2);
    std::string condition;
    // The list view refuses a Null row text; the three rows before it stay.
    const ErrorInfo e = raised_by([&] {
        db.PopulateListview(*lvw, "ITEMS", condition, {"NAME", "CODE"});
    });
    EXPECT_EQ(e.number(), err::invalid_null);
    EXPECT_EQ(cells(*lvw), (Cells{{"Alpha", "10"}, {"Beta", "20"}, {"Gamma", "30"}}));
    EXPECT_TRUE(to_bool(lvw->get("Visible")));
}

}  // namespace
}  // namespace ortiva::testing
