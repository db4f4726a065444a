#include <string>
#include <vector>

#include "forms/fixture.hpp"

namespace ortiva::forms_test {
namespace {

// SelectComboItem is the same member under its older name.
TEST_F(FormsTest, SelectByValuePicksTheFirstEntryWithTheItemDataAndKeepsTheSelectionOtherwise) {
    using Select = void (clsCommonGen::*)(HostObject&, int32_t);
    const std::pair<const char*, Select> cases[] = {
        {"ComboBox", &clsCommonGen::SelectComboItemByValue},
        {"ListBox", &clsCommonGen::SelectComboItemByValue},
        {"ComboBox", &clsCommonGen::SelectComboItem}};
    for (const auto& [kind, select] : cases) {
        SCOPED_TRACE(kind);
        HostObjectPtr list =
            list_with_data(kind, {{"one", 10}, {"two", 20}, {"again", 20}, {"neg", -5}});
        (gen.*select)(*list, 20);
        EXPECT_EQ(int_of(*list, "ListIndex"), 1);
        (gen.*select)(*list, -5);
        EXPECT_EQ(int_of(*list, "ListIndex"), 3);
        (gen.*select)(*list, 99);
        EXPECT_EQ(int_of(*list, "ListIndex"), 3);
        HostObjectPtr empty = list_of(kind, {});
        (gen.*select)(*empty, 0);
        EXPECT_EQ(int_of(*empty, "ListIndex"), -1);
    }
}

TEST_F(FormsTest, SelectByNameIgnoresCaseAndSurroundingSpacesOnBothSides) {
    struct Case {
        const char* item;
        int32_t expected;
    };
    const Case cases[] = {
        {" abc ", 1},  // "ABC  " comes before "abc"
        {"APPLE", 0},  // case-blind
        {"", 3},       // the first entry that is empty or all spaces
        {"ab c", 4},   // inner spaces count: no match keeps the previous selection
        {"\tabc", 4},  // only spaces are trimmed
    };
    for (const Case& c : cases) {
        HostObjectPtr combo = list_of("ComboBox", {"Apple", "ABC  ", "abc", "   ", ""});
        combo->let("ListIndex", Variant(int32_t{4}));
        gen.SelectComboItemByName(*combo, c.item);
        EXPECT_EQ(int_of(*combo, "ListIndex"), c.expected) << '"' << c.item << '"';
    }
}

TEST_F(FormsTest, SelectionBeyondSixteenBitCountersOverflows) {
    // 32768 entries: the counter reaches 32767 and cannot step on.
    std::vector<std::pair<std::string, int32_t>> entries(32768, {"x", 1});
    entries.back().second = 2;
    HostObjectPtr list = list_with_data("ListBox", entries);
    gen.SelectComboItemByValue(*list, 2);
    EXPECT_EQ(int_of(*list, "ListIndex"), 32767);

    list->let("ListIndex", Variant(int32_t{-1}));
    EXPECT_EQ(error_of([&] { gen.SelectComboItemByValue(*list, 3); }), err::overflow);
    EXPECT_EQ(int_of(*list, "ListIndex"), -1);

    list->call("AddItem", {Variant("y")});  // 32769 entries: the last index is out of range
    EXPECT_EQ(error_of([&] { gen.SelectComboItemByName(*list, "y"); }), err::overflow);
}

TEST_F(FormsTest, GetIndexFindsTheFirstTrimmedCaseBlindEntryOfAListBoxOnly) {
    HostObjectPtr list = list_of("ListBox", {"x", " Abc", "ABC", "abc"});
    EXPECT_EQ(gen.GetIndex(*list, " abc "), 1);
    EXPECT_EQ(gen.GetIndex(*list, "X"), 0);
    EXPECT_EQ(gen.GetIndex(*list, "ab"), -1);
    EXPECT_EQ(gen.GetIndex(*list_of("ListBox", {}), ""), -1);
    for (const char* kind : {"ComboBox", "TextBox", "MSFlexGrid", "Form"}) {
        HostObjectPtr other = memory::create_control(kind, "other");
        EXPECT_EQ(error_of([&] { gen.GetIndex(*other, "abc"); }), err::type_mismatch) << kind;
    }
}

// The type-ahead runs as the combo boxes' key-press handler, so each key that comes back
// non-zero is applied by the control as a real key would be.
class TypeAheadTest : public FormsTest {
  protected:
    HostObjectPtr combo(const std::vector<std::string>& entries) {
        HostObjectPtr c = list_of("ComboBox", entries);
        memory::set_key_press_handler(
            *c, [this](HostObject& control, int16_t& key) { gen.MatchComboItem(control, key); });
        return c;
    }
    static int16_t press(HostObject& control, char key) {
        return memory::press_key(control, static_cast<int16_t>(key));
    }
    static void expect_shown(HostObject& c, const std::string& text, int32_t sel_start,
                             const std::string& selected) {
        EXPECT_EQ(text_of(c), text);
        EXPECT_EQ(int_of(c, "SelStart"), sel_start);
        EXPECT_EQ(text_of(c, "SelText"), selected);
    }
};

TEST_F(TypeAheadTest, CompletesTypedPrefixWithTheTailSelectedAndSwallowsEveryKey) {
    HostObjectPtr fruit = combo({"APPLE", "APRICOT"});
    EXPECT_EQ(press(*fruit, 'A'), 0);
    expect_shown(*fruit, "APPLE", 1, "PPLE");
    EXPECT_EQ(press(*fruit, 'P'), 0);
    expect_shown(*fruit, "APPLE", 2, "PLE");
    EXPECT_EQ(press(*fruit, 'R'), 0);
    expect_shown(*fruit, "APRICOT", 3, "ICOT");
    EXPECT_EQ(int_of(*fruit, "ListIndex"), 1);

    // Past every entry: swallowed, the control unchanged, the key still kept.
    EXPECT_EQ(press(*fruit, 'X'), 0);
    expect_shown(*fruit, "APRICOT", 3, "ICOT");
    EXPECT_EQ(runtime->journal().back(), "FindFirstEntry APRX -> -1");

    HostObjectPtr other = combo({"APRX", "APRXY"});
    EXPECT_EQ(press(*other, 'Y'), 0);
    expect_shown(*other, "APRXY", 5, "");
}

TEST_F(TypeAheadTest, KeyOutsideTheSetPassesAndRestartsFromTheTextBeforeTheKey) {
    HostObjectPtr fruit = combo({"APPLE", "APRICOT"});
    fruit->let("Text", Variant("APR"));
    fruit->let("SelStart", Variant(int32_t{3}));
    EXPECT_EQ(press(*fruit, 'a'), 'a');
    EXPECT_EQ(text_of(*fruit), "APRa");
    // "APR" + "I", not "APRa" + "I".
    EXPECT_EQ(press(*fruit, 'I'), 0);
    expect_shown(*fruit, "APRICOT", 4, "COT");
}

TEST_F(TypeAheadTest, BackspaceRestartsFromTheWholeTextIncludingTheCompletedTail) {
    HostObjectPtr fruit = combo({"APPLE", "APRICOT", "APRICOTS"});
    for (char key : {'A', 'P', 'R'})
        press(*fruit, key);
    EXPECT_EQ(press(*fruit, '\b'), '\b');
    EXPECT_EQ(text_of(*fruit), "APR");  // the control deleted the selected tail
    EXPECT_EQ(press(*fruit, 'S'), 0);
    expect_shown(*fruit, "APRICOTS", 8, "");
}

TEST_F(TypeAheadTest, ComboBoxesServedByOneObjectShareTheTypedText) {
    HostObjectPtr first = combo({"APPLE"});
    HostObjectPtr second = combo({"BANANA", "APBZ"});
    press(*first, 'A');
    press(*first, 'P');
    EXPECT_EQ(press(*second, 'B'), 0);
    expect_shown(*second, "APBZ", 3, "Z");

    // A key outside the set on the second box restarts from its (empty) text.
    HostObjectPtr third = combo({"BANANA", "APBZ"});
    press(*first, 'A');
    EXPECT_EQ(press(*third, '\b'), '\b');
    EXPECT_EQ(press(*third, 'B'), 0);
    expect_shown(*third, "BANANA", 1, "ANANA");
}

TEST_F(TypeAheadTest, FailingControlKeepsTheKeyAndTheExtendedText) {
    HostObjectPtr label = memory::create_control("Label", "lbl");  // no window handle
    int16_t key = 'A';
    EXPECT_EQ(error_of([&] { gen.MatchComboItem(*label, key); }), err::no_such_member);
    EXPECT_EQ(key, 'A');

    HostObjectPtr fruit = combo({"APPLE", "APRICOT"});
    EXPECT_EQ(press(*fruit, 'P'), 0);
    expect_shown(*fruit, "APPLE", 2, "PLE");
}

}  // namespace
}  // namespace ortiva::forms_test
