#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "support/controls.hpp"

namespace ortiva::testing {
namespace {

using Texts = std::vector<std::string>;

class BulkInsertTest : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("LINES", "NO " + ctx().int_type + ", ITEM " + ctx().text_type + ", NOTE " +
                                  ctx().text_type);
        db.strTableName("LINES");
    }

    Texts stored() { return texts("select NO, ITEM, NOTE from LINES order by NO"); }
};
ORTIVA_DB_DRIVERS(BulkInsertTest);

TEST_P(BulkInsertTest, GridLinesGetRunningNumbersAcrossCalls) {
    auto g = grid_with({{"", "k1", "Saw"}, {"", "", "skipped"}, {"", "  ", "Drill"}});
    VariantArray map{"N", Variant(int32_t{10}), "C", Variant(int16_t{2}), "V", "fixed"};
    EXPECT_TRUE(db.fnInsertGridDetails(*g, map));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from LINES");
    EXPECT_EQ(map[1], Variant(int32_t{12}));
    EXPECT_EQ(map[3], Variant(int16_t{2}));

    EXPECT_TRUE(db.fnInsertGridDetails(*g, map));
    EXPECT_EQ(map[1], Variant(int32_t{14}));
    EXPECT_EQ(stored(),
              (Texts{"10|Saw|fixed", "11|Drill|fixed", "12|Saw|fixed", "13|Drill|fixed"}));
}

TEST_P(BulkInsertTest, MarkersAreCaseBlindButNotSpaceBlind) {
    auto g = grid_with({{"", "x", "Cell"}});
    // " c" is a running-number marker: its value 5 is stored and advanced.
    VariantArray map{" c", Variant(int16_t{5}), "c", Variant(int16_t{2}), "v", "fixed"};
    db.fnInsertGridDetails(*g, map);
    EXPECT_EQ(map[1], Variant(int16_t{6}));
    EXPECT_EQ(stored(), (Texts{"5|Cell|fixed"}));
}

TEST_P(BulkInsertTest, RunningValuesKeepTheirKind) {
    struct Case {
        Variant start, next;
    };
    const Case cases[] = {
        {Variant(int16_t{32767}), Variant(int32_t{32768})},
        {Variant("7"), Variant(8.0)},
        {Variant(), Variant(int16_t{1})},
        {Variant(2.5), Variant(3.5)},
    };
    for (const auto& c : cases) {
        auto g = grid_with({{"", "x"}});
        VariantArray map{"R", c.start, "V", "i", "V", "n"};
        db.fnInsertGridDetails(*g, map);
        EXPECT_EQ(map[1], c.next);
    }
}

TEST_P(BulkInsertTest, FieldMapMustPairEveryFieldBeforeATrailingRowguid) {
    struct Case {
        std::string columns;
        std::size_t entries;
        bool fits;
    };
    const std::string t = ctx().text_type;
    const Case cases[] = {
        {"Id " + t + ", Name " + t + ", ROWGUID " + t, 4, true},
        {"Id " + t + ", Name " + t + ", rowguid " + t, 6, false},
        {"ROWGUID " + t + ", Id " + t + ", Name " + t, 4, false},
        {"Id " + t + ", Name " + t, 5, false},
        {"Id " + t + ", Name " + t + ", Other " + t, 5, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        const std::string table = "T" + std::to_string(++n);
        create_table(table, c.columns);
        db.strTableName(table);
        std::vector<Variant> items;
        for (std::size_t i = 0; i < c.entries; ++i)
            items.push_back(i % 2 == 0 ? Variant("V") : Variant("x"));
        VariantArray map(items);
        auto g = grid_with({{"", "filled"}});
        if (c.fits) {
            EXPECT_TRUE(db.fnInsertGridDetails(*g, map));
        } else {
            const ErrorInfo e = raised_by([&] { db.fnInsertGridDetails(*g, map); });
            EXPECT_EQ(e.number(), 1);
            EXPECT_EQ(e.description(),
                      "Supplied parameter values should be equal to no of fields in Table");
            EXPECT_EQ(e.source(), "");
        }
        EXPECT_EQ(rows("select * from " + table).size(), c.fits ? 1u : 0u);
    }
}

TEST_P(BulkInsertTest, EmptyControlsStoreNothing) {
    VariantArray map{"N", Variant(int16_t{1}), "C", Variant(int16_t{1}), "V", "x"};
    auto header_only = grid_with({});
    EXPECT_TRUE(db.fnInsertGridDetails(*header_only, map));
    auto lvw = list_view(3);
    EXPECT_TRUE(db.fnUpdateListViewDetails(*lvw, map));
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(map[1], Variant(int16_t{1}));
}

TEST_P(BulkInsertTest, ListViewRowsUseTextAndSubItems) {
    // The second row has text but an empty first sub-item: skipped.
    auto lvw = list_view_with(3, {{"Saw", "a", "n1"}, {"Hammer", "", "n2"}, {"Drill", "c", ""}});
    VariantArray map{"N", Variant(int16_t{1}), "C", Variant(int16_t{0}), "C", Variant(int16_t{2})};
    EXPECT_TRUE(db.fnUpdateListViewDetails(*lvw, map));
    EXPECT_EQ(stored(), (Texts{"1|Saw|n1", "2|Drill|"}));
    EXPECT_EQ(map[1], Variant(int16_t{3}));
}

TEST_P(BulkInsertTest, RunningNumbersHandedOutBeforeAFailureStayAdvanced) {
    auto g = grid_with({{"", "x"}, {"", "y"}});
    VariantArray map{"N", Variant(int16_t{1}), "N", Variant("not a number"), "V", "x"};
    const ErrorInfo e = raised_by([&] { db.fnInsertGridDetails(*g, map); });
    EXPECT_EQ(e.number(), err::type_mismatch);
    EXPECT_EQ(map[1], Variant(int16_t{2}));
    EXPECT_EQ(map[3], Variant("not a number"));
}

}  // namespace
}  // namespace ortiva::testing
