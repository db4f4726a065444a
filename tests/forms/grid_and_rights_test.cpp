#include <string>
#include <vector>

#include "forms/fixture.hpp"

namespace ortiva::forms_test {
namespace {

TEST_F(FormsTest, DuplicateRowIsTheLaterRowOfTheFirstEqualPairInVisitingOrder) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::string>> rows;
        VariantArray columns;
        int32_t expected;
    };
    const Case cases[] = {
        {"all columns", {{"A", "10"}, {"B", "20"}, {"A", "10"}}, {Variant(0), Variant(1)}, 3},
        {"one column", {{"A", "10"}, {"B", "10"}, {"A", "10"}}, {Variant(1)}, 2},
        // (1,3) comes before (2,3): the first row is fixed while the second runs.
        {"order", {{"A"}, {"B"}, {"A"}, {"B"}}, {Variant(0)}, 3},
        {"(1,4) before (2,3)", {{"A"}, {"B"}, {"B"}, {"A"}}, {Variant(0)}, 4},
        {"spaces trimmed", {{" A ", "x"}, {"A", "x  "}}, {Variant(0), Variant(1)}, 2},
        {"case kept", {{"a"}, {"A"}}, {Variant(0)}, 0},
        {"tabs kept", {{"A\t"}, {"A"}}, {Variant(0)}, 0},
        {"every column must match",
         {{"A", "1"}, {"A", "2"}, {"B", "1"}},
         {Variant(0), Variant(1)},
         0},
        {"column given as text", {{"A", "7"}, {"B", "7"}}, {Variant("1")}, 2},
        {"no columns: every pair equal", {{"A"}, {"B"}}, VariantArray(std::vector<Variant>{}), 2},
        {"one data row", {{"A"}}, {Variant(0)}, 0},
        {"no data rows", {}, {Variant(0)}, 0},
    };
    for (const Case& c : cases) {
        HostObjectPtr grid = grid_with(c.rows);
        EXPECT_EQ(gen.fnGridDuplicateRow(*grid, c.columns), c.expected) << c.name;
    }
}

TEST_F(FormsTest, DuplicateRowRefusesColumnsNotCountedFromZeroAndRejectedColumns) {
    HostObjectPtr grid = grid_with({{"A", "1"}, {"A", "1"}});
    struct Case {
        const char* name;
        VariantArray columns;
        int32_t expected_error;
    };
    const Case cases[] = {
        {"never given elements", VariantArray(), err::subscript},
        {"lower bound 1", VariantArray(std::vector<Variant>{Variant(0)}, 1), err::subscript},
        {"two dimensions", VariantArray::with_bounds({{0, 0}, {0, 0}}), err::subscript},
        {"column outside the grid", {Variant(0), Variant(5)}, err::invalid_property_index},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(error_of([&] { gen.fnGridDuplicateRow(*grid, c.columns); }), c.expected_error)
            << c.name;
    }
    // Without a pair to compare, the columns are never read.
    EXPECT_EQ(gen.fnGridDuplicateRow(*grid_with({{"A"}}),
                                     VariantArray(std::vector<Variant>{Variant(0)}, 1)),
              0);
}

TEST_F(FormsTest, UserRightIsAnOrdinalSubstringOfTheRightsText) {
    struct Case {
        const char* action;
        const char* rights;
        bool expected;
    };
    const Case cases[] = {
        {"EDIT", "ADD,EDIT,VIEW", true},
        {"edit", "ADD,EDIT,VIEW", false},
        {"DIT", "ADD,EDIT,VIEW", true},
        {"", "ADD,EDIT,VIEW", true},
        {"VIEW,", "ADD,EDIT,VIEW", false},
        {"ADD", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gen.fnUserRightOk(c.action, c.rights), c.expected)
            << '"' << c.action << "\" in \"" << c.rights << '"';
    }
}

}  // namespace
}  // namespace ortiva::forms_test
