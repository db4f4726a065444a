#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "support/controls.hpp"

namespace ortiva::testing {
namespace {

class PopulateComboOrListTest : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("LOOKUP", "CODE " + ctx().int_type + ", NAME " + ctx().text_type);
        exec("insert into LOOKUP values (1, 'Alpha')");
        exec("insert into LOOKUP values (2, 'BETA')");
        exec("insert into LOOKUP values (3, 'beta')");
        exec("insert into LOOKUP values (4, '  ')");
        db.strTableName("LOOKUP");
    }

    static std::vector<int32_t> item_data(HostObject& list) {
        std::vector<int32_t> out;
        const int32_t n = to_int32(list.get("ListCount"));
        for (int32_t i = 0; i < n; ++i)
            out.push_back(to_int32(list.get("ItemData", {Variant(i)})));
        return out;
    }
};
ORTIVA_DB_DRIVERS(PopulateComboOrListTest);

TEST_P(PopulateComboOrListTest, FillsNamesWithCodesAsItemData) {
    for (const char* kind : {"ComboBox", "ListBox"}) {
        auto list = memory::create_control(kind, "c");
        list->call("AddItem", {Variant("stale")});
        db.PopulateComboOrList(*list, "CODE", "NAME");
        EXPECT_EQ(db.LastExecutedSql(), "select CODE, NAME from LOOKUP");
        EXPECT_EQ(entries(*list), (std::vector<std::string>{"Alpha", "BETA", "beta", "  "}))
            << kind;
        EXPECT_EQ(item_data(*list), (std::vector<int32_t>{1, 2, 3, 4})) << kind;
    }
}

TEST_P(PopulateComboOrListTest, ConditionIsAppendedAsPassed) {
    auto combo = memory::create_control("ComboBox", "c");
    db.PopulateComboOrList(*combo, "CODE", "NAME", Variant("CODE > 2"));
    EXPECT_EQ(db.LastExecutedSql(), "select CODE, NAME from LOOKUP where CODE > 2");
    EXPECT_EQ(item_data(*combo), (std::vector<int32_t>{3, 4}));

    // Empty acts as "": the dangling " where " is the database's to reject, unchanged.
    EXPECT_NE(error_of([&] { db.PopulateComboOrList(*combo, "CODE", "NAME", Variant()); }), 0);
    EXPECT_EQ(db.LastExecutedSql(), "select CODE, NAME from LOOKUP where ");
    EXPECT_TRUE(entries(*combo).empty());
}

TEST_P(PopulateComboOrListTest, ThePreviousTextSelectsTheFirstMatchingEntry) {
    struct Case {
        std::string text;
        int32_t index;
    };
    const Case cases[] = {
        {"  beta ", 1},  // trimmed and case-blind on both sides; the first match wins
        {"alpha", 0},
        {"", 3},  // the entry of spaces only
        {"gamma", -1},
    };
    for (const auto& c : cases) {
        auto combo = memory::create_control("ComboBox", "c");
        combo->let("Text", Variant(c.text));
        db.PopulateComboOrList(*combo, "CODE", "NAME");
        EXPECT_EQ(to_int32(combo->get("ListIndex")), c.index) << "'" << c.text << "'";
    }
}

TEST_P(PopulateComboOrListTest, NoRowsLeaveTheControlEmptyAndUnselected) {
    auto combo = memory::create_control("ComboBox", "c");
    combo->call("AddItem", {Variant("Alpha")});
    combo->let("ListIndex", Variant(0));
    db.PopulateComboOrList(*combo, "CODE", "NAME", Variant("CODE > 100"));
    EXPECT_TRUE(entries(*combo).empty());
    EXPECT_EQ(to_int32(combo->get("ListIndex")), -1);
}

TEST_P(PopulateComboOrListTest, ConditionsThatAreNotTextFailBeforeAnyQuery) {
    db.PopulateComboOrList(*memory::create_control("ComboBox", "x"), "CODE", "NAME");
    struct Case {
        Variant condition;
        int32_t number;
    };
    const Case cases[] = {{Variant::null(), err::invalid_null},
                          {Variant(int16_t{5}), err::type_mismatch}};
    for (const auto& c : cases) {
        auto combo = memory::create_control("ComboBox", "c");
        combo->call("AddItem", {Variant("old")});
        const ErrorInfo e =
            raised_by([&] { db.PopulateComboOrList(*combo, "CODE", "NAME", c.condition); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(db.LastExecutedSql(), "select CODE, NAME from LOOKUP");
        EXPECT_TRUE(entries(*combo).empty());
    }
}

TEST_P(PopulateComboOrListTest, EntriesAddedBeforeAFailureStay) {
    exec("insert into LOOKUP values (5, NULL)");
    exec("insert into LOOKUP values (6, 'Late')");
    auto combo = memory::create_control("ComboBox", "c");
    const ErrorInfo e = raised_by([&] { db.PopulateComboOrList(*combo, "CODE", "NAME"); });
    EXPECT_EQ(e.number(), err::invalid_null);
    EXPECT_EQ(entries(*combo), (std::vector<std::string>{"Alpha", "BETA", "beta", "  "}));
}

}  // namespace
}  // namespace ortiva::testing
