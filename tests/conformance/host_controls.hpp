#pragma once

// The behaviour every host-control toolkit must show, driven only through HostObject by member
// name, as the library drives controls. A toolkit supplies a ToolkitContext and instantiates
// the suites in exactly one source file of its test program (the suites are defined here):
//
//   INSTANTIATE_TEST_SUITE_P(Memory, HostControls, ::testing::Values(memory_context()),
//                            ortiva::testing::ToolkitName{});

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "controls/common/limits.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/variant.hpp"
#include "support/raised.hpp"

namespace ortiva::testing {

struct ToolkitContext {
    std::string name;  // shown in test names: letters and digits only
    /// A new control of the kind ("TextBox", "ComboBox", ..., "Form") with the given name.
    std::function<HostObjectPtr(const std::string& kind, const std::string& name)> create;
    /// Puts a control on a form made by create("Form", ...).
    std::function<void(HostObject& form, const HostObjectPtr& control)> add_to_form;
    /// Installs the key-press handler of a text box or combo box.
    std::function<void(HostObject& control, std::function<void(HostObject&, int16_t&)> handler)>
        set_key_handler;
    /// Presses a key on the control; returns the code as the handler left it.
    std::function<int16_t(HostObject& control, int16_t code)> press_key;
    /// Whether the control holds the keyboard focus.
    std::function<bool(HostObject& control)> has_focus;
    /// The runtime that serves this toolkit's combo boxes (its FindFirstEntry).
    std::function<std::shared_ptr<HostRuntime>()> runtime;
    /// Capability -> why this toolkit lacks it ("focus", "keys").
    std::map<std::string, std::string> cannot;

    bool can(const std::string& capability) const { return cannot.count(capability) == 0; }
    friend std::ostream& operator<<(std::ostream& os, const ToolkitContext& c) {
        return os << c.name;
    }
};

/// Test names from contexts: INSTANTIATE_TEST_SUITE_P(Memory, HostControls, values,
/// ToolkitName{}).
struct ToolkitName {
    std::string operator()(const ::testing::TestParamInfo<ToolkitContext>& info) const {
        return info.param.name;
    }
};

#define ORTIVA_EXPECT_ERROR(number, statement) \
    EXPECT_EQ((number), ::ortiva::testing::error_of([&] { statement; })) << #statement

class HostControls : public ::testing::TestWithParam<ToolkitContext> {
  protected:
    const ToolkitContext& toolkit() const { return GetParam(); }
    HostObjectPtr make(const std::string& kind, const std::string& name = "ctl") const {
        return toolkit().create(kind, name);
    }
    void skip_unless(const std::string& capability) {
        if (!toolkit().can(capability)) GTEST_SKIP() << toolkit().cannot.at(capability);
    }

    static Variant v(int32_t n) { return Variant(n); }
    static std::string text(HostObject& o, std::string_view member, const Args& index = {}) {
        return to_text(o.get(member, index));
    }
    static int32_t number(HostObject& o, std::string_view member, const Args& index = {}) {
        return to_int32(o.get(member, index));
    }
    static HostObjectPtr combo_with(const HostObjectPtr& combo,
                                    const std::vector<std::string>& entries) {
        for (const auto& e : entries)
            combo->call("AddItem", {Variant(e)});
        return combo;
    }
    /// A list view with the given column headers.
    HostObjectPtr list_view(const std::vector<std::string>& headers) const {
        auto lvw = make("ListView", "lvw");
        auto columns = get_object(*lvw, "ColumnHeaders");
        for (const auto& h : headers)
            columns->call("Add", {Variant::missing(), Variant::missing(), Variant(h)});
        return lvw;
    }
    static void add_row(HostObject& lvw, const Variant& position, const std::string& text) {
        get_object(lvw, "ListItems")->call("Add", {position, Variant::missing(), Variant(text)});
    }
    /// The rows' texts, top to bottom.
    static std::vector<std::string> row_texts(HostObject& lvw) {
        std::vector<std::string> out;
        const int32_t count = number(*get_object(lvw, "ListItems"), "Count");
        for (int32_t i = 1; i <= count; ++i)
            out.push_back(text(*get_object(lvw, "ListItems", {v(i)}), "Text"));
        return out;
    }
};

TEST_P(HostControls, EveryKindHasItsTypeNameAndTheCommonMembers) {
    const std::vector<std::string> kinds = {"TextBox",  "ComboBox",   "ListBox",  "ListView",
                                            "TreeView", "MSFlexGrid", "CheckBox", "Label",
                                            "Frame",    "Form"};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind);
        auto c = make(kind, "ctl" + kind);
        EXPECT_EQ(kind, c->type_name());
        EXPECT_EQ("ctl" + kind, text(*c, "Name"));
        c->let("Enabled", Variant(false));
        c->let("VISIBLE", Variant(false));  // member names are case-blind
        EXPECT_FALSE(to_bool(c->get("enabled")));
        EXPECT_FALSE(to_bool(c->get("Visible")));
        ORTIVA_EXPECT_ERROR(438, c->get("NoSuchMember"));
        ORTIVA_EXPECT_ERROR(438, c->let("NoSuchMember", Variant(1)));
        ORTIVA_EXPECT_ERROR(438, c->call("NoSuchMember"));
        ORTIVA_EXPECT_ERROR(13, c->let("Enabled", Variant("not a flag")));
    }
}

TEST_P(HostControls, ListEntriesCarryItemDataConvertedTo32Bits) {
    struct Case {
        const char* what;
        Variant value;
        int32_t error;
        int32_t stored;
    };
    const std::vector<Case> cases = {
        {"16-bit", Variant(int16_t{7}), 0, 7}, {"numeric text", Variant("42"), 0, 42},
        {"half to even", Variant(2.5), 0, 2},  {"largest", Variant(2147483647.0), 0, 2147483647},
        {"Null", Variant::null(), 13, 0},      {"letters", Variant("abc"), 13, 0},
        {"beyond range", Variant(3e9), 6, 0},  {"below range", Variant(-3e9), 6, 0},
    };
    for (const char* kind : {"ComboBox", "ListBox"}) {
        auto list = make(kind);
        list->call("AddItem", {Variant("first")});
        EXPECT_EQ(0, number(*list, "NewIndex"));
        list->call("AddItem", {Variant("second")});
        EXPECT_EQ(1, number(*list, "NewIndex"));
        EXPECT_EQ(2, number(*list, "ListCount"));
        EXPECT_EQ("second", text(*list, "List", {v(1)}));
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kind) + ": " + c.what);
            list->let("ItemData", Variant(-1), {v(1)});
            ORTIVA_EXPECT_ERROR(c.error, list->let("ItemData", c.value, {v(1)}));
            EXPECT_EQ(c.error ? -1 : c.stored, number(*list, "ItemData", {v(1)}));
        }
        ORTIVA_EXPECT_ERROR(381, list->get("ItemData", {v(2)}));
        ORTIVA_EXPECT_ERROR(381, list->let("ItemData", v(1), {v(-1)}));
        ORTIVA_EXPECT_ERROR(381, list->get("List", {v(2)}));
        ORTIVA_EXPECT_ERROR(13, list->get("List", {Variant("x")}));
    }
}

TEST_P(HostControls, ListIndexAcceptsMinusOneToLastAndClearResets) {
    for (const char* kind : {"ComboBox", "ListBox"}) {
        SCOPED_TRACE(kind);
        auto list = combo_with(make(kind), {"A", "B", "C"});
        EXPECT_EQ(-1, number(*list, "ListIndex"));
        list->let("ListIndex", Variant(int16_t{2}));
        EXPECT_EQ(2, number(*list, "ListIndex"));
        EXPECT_EQ("C", text(*list, "Text"));
        ORTIVA_EXPECT_ERROR(380, list->let("ListIndex", v(3)));
        ORTIVA_EXPECT_ERROR(380, list->let("ListIndex", v(-2)));
        EXPECT_EQ(2, number(*list, "ListIndex"));  // a refused value changes nothing
        list->let("ListIndex", v(-1));
        EXPECT_EQ(-1, number(*list, "ListIndex"));
        EXPECT_EQ("", text(*list, "Text"));
        list->let("ListIndex", v(0));
        list->call("Clear");
        EXPECT_EQ(0, number(*list, "ListCount"));
        EXPECT_EQ(-1, number(*list, "ListIndex"));
        ORTIVA_EXPECT_ERROR(380, list->let("ListIndex", v(0)));
    }
}

TEST_P(HostControls, AddItemAtAnIndexKeepsTheSelectedEntry) {
    for (const char* kind : {"ComboBox", "ListBox"}) {
        SCOPED_TRACE(kind);
        auto list = combo_with(make(kind), {"A", "C"});
        list->let("ListIndex", v(1));
        list->call("AddItem", {Variant("B"), v(1)});
        EXPECT_EQ(1, number(*list, "NewIndex"));
        EXPECT_EQ(2, number(*list, "ListIndex"));
        ORTIVA_EXPECT_ERROR(5, list->call("AddItem", {Variant("Z"), v(9)}));
        ORTIVA_EXPECT_ERROR(5, list->call("RemoveItem", {v(3)}));
        list->call("RemoveItem", {v(2)});
        EXPECT_EQ(-1, number(*list, "ListIndex"));
        EXPECT_EQ(-1, number(*list, "NewIndex"));
        // A combo box keeps the removed entry's text in its edit area.
        EXPECT_EQ(std::string(kind) == "ComboBox" ? "C" : "", text(*list, "Text"));
    }
}

TEST_P(HostControls, WindowHandlesDifferBetweenControls) {
    auto a = make("ComboBox", "a");
    auto b = make("ComboBox", "b");
    auto c = make("ListBox", "c");
    EXPECT_NE(number(*a, "hwnd"), number(*b, "hwnd"));
    EXPECT_NE(number(*a, "hwnd"), number(*c, "hwnd"));
    EXPECT_EQ(number(*a, "hwnd"), number(*a, "hWnd"));
}

// A list box's text selects the first entry of that text, case-blind; a combo box's does not.
TEST_P(HostControls, SettingTextSelectsAnEntryInAListBoxOnly) {
    auto combo = combo_with(make("ComboBox"), {"APPLE", "APRICOT"});
    combo->let("Text", Variant("APRICOT"));
    EXPECT_EQ("APRICOT", text(*combo, "Text"));
    EXPECT_EQ(-1, number(*combo, "ListIndex"));
    auto list = combo_with(make("ListBox"), {"Red", "Green"});
    list->let("Text", Variant("GREEN"));
    EXPECT_EQ(1, number(*list, "ListIndex"));
    list->let("", Variant("Blue"));  // no such entry: the selection stays
    EXPECT_EQ("Green", text(*list, "Text"));
    ORTIVA_EXPECT_ERROR(438, list->get("SelStart"));
}

TEST_P(HostControls, SelectionIsClampedToTheTextInUtf16Units) {
    struct Case {
        const char* text;
        int32_t start, length;  // values set
        int32_t want_start, want_length;
    };
    const std::vector<Case> cases = {
        {"APRICOT", 3, 100, 3, 4},  // the whole length asked: clipped at the end
        {"APRICOT", 100, 2, 7, 0},  // the caret goes to the end, nothing left to select
        {"APRICOT", 0, 7, 0, 7},
        {"", 5, 5, 0, 0},
        {"a\xF0\x9F\x98\x80"
         "b",
         9, 9, 4, 0},  // the emoji counts as two units
        {"a\xF0\x9F\x98\x80"
         "b",
         1, 9, 1, 3},
    };
    for (const char* kind : {"TextBox", "ComboBox"}) {
        auto box = make(kind);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kind) + " " + c.text + " " + std::to_string(c.start));
            box->let("Text", Variant(c.text));
            box->let("SelStart", v(c.start));
            box->let("SelLength", v(c.length));
            EXPECT_EQ(c.want_start, number(*box, "SelStart"));
            EXPECT_EQ(c.want_length, number(*box, "SelLength"));
        }
        ORTIVA_EXPECT_ERROR(380, box->let("SelStart", v(-1)));
        ORTIVA_EXPECT_ERROR(380, box->let("SelLength", v(-1)));
        ORTIVA_EXPECT_ERROR(13, box->let("SelStart", Variant("x")));
    }
}

TEST_P(HostControls, TextBoxDefaultPropertyIsItsText) {
    auto box = make("TextBox");
    EXPECT_EQ("", text(*box, ""));
    box->let("", Variant("123"));
    EXPECT_EQ("123", text(*box, "Text"));
    box->let("Text", Variant(int16_t{45}));
    EXPECT_EQ("45", text(*box, ""));
    ORTIVA_EXPECT_ERROR(94, box->let("Text", Variant::null()));
    EXPECT_EQ("45", text(*box, "Text"));
}

TEST_P(HostControls, FindFirstEntryIsACaseBlindPrefixSearchOverTheWholeList) {
    auto runtime = toolkit().runtime();
    auto combo = combo_with(make("ComboBox"), {"banana", "Apple", "APRICOT", "cherry", "apple"});
    struct Case {
        const char* typed;
        int32_t want;
    };
    const std::vector<Case> cases = {
        {"a", 1},         {"AP", 1}, {"apr", 2}, {"APRICOT", 2},
        {"APRICOTS", -1}, {"Ch", 3}, {"b", 0},   {"x", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(c.want, runtime->FindFirstEntry(*combo, c.typed));
    }
    // The search starts at the top whatever is selected.
    combo->let("ListIndex", v(4));
    EXPECT_EQ(1, runtime->FindFirstEntry(*combo, "app"));
    EXPECT_EQ(-1, runtime->FindFirstEntry(*make("ComboBox", "empty"), "a"));
}

TEST_P(HostControls, KeyPressAppliesOnlyKeysTheHandlerLetsThrough) {
    skip_unless("keys");
    auto box = make("TextBox");
    std::vector<int16_t> seen;
    toolkit().set_key_handler(*box, [&](HostObject&, int16_t& key) {
        seen.push_back(key);
        if (key >= 'a' && key <= 'z') key = 0;  // drop lower-case letters
    });
    box->let("Text", Variant("12"));
    box->let("SelStart", v(2));
    EXPECT_EQ('3', toolkit().press_key(*box, '3'));
    EXPECT_EQ(0, toolkit().press_key(*box, 'x'));
    EXPECT_EQ("123", text(*box, "Text"));
    EXPECT_EQ(3, number(*box, "SelStart"));
    // A selection is replaced; backspace deletes the selection, then the character before
    // the caret; Enter changes nothing in a single-line box.
    box->let("SelStart", v(0));
    box->let("SelLength", v(2));
    toolkit().press_key(*box, '9');
    EXPECT_EQ("93", text(*box, "Text"));
    EXPECT_EQ(1, number(*box, "SelStart"));
    toolkit().press_key(*box, 8);
    EXPECT_EQ("3", text(*box, "Text"));
    toolkit().press_key(*box, 8);
    EXPECT_EQ("3", text(*box, "Text"));
    toolkit().press_key(*box, 13);
    EXPECT_EQ("3", text(*box, "Text"));
    EXPECT_EQ((std::vector<int16_t>{'3', 'x', '9', 8, 8, 13}), seen);
}

TEST_P(HostControls, KeyHandlerMayChangeTheTextBeforeTheKeyApplies) {
    skip_unless("keys");
    auto box = make("TextBox");
    box->let("Text", Variant("999"));
    toolkit().set_key_handler(*box,
                              [](HostObject& control, int16_t&) { control.let("", Variant("")); });
    EXPECT_EQ('5', toolkit().press_key(*box, '5'));
    EXPECT_EQ("5", text(*box, "Text"));
}

TEST_P(HostControls, SetFocusFailsOnHiddenOrDisabledControls) {
    auto form = make("Form", "frm");
    auto box = make("TextBox", "txt");
    toolkit().add_to_form(*form, box);
    box->let("Visible", Variant(false));
    ORTIVA_EXPECT_ERROR(5, box->call("SetFocus"));
    box->let("Visible", Variant(true));
    box->let("Enabled", Variant(false));
    ORTIVA_EXPECT_ERROR(5, box->call("SetFocus"));
    box->let("Enabled", Variant(true));
    form->let("Enabled", Variant(false));
    ORTIVA_EXPECT_ERROR(5, box->call("SetFocus"));
    form->let("Enabled", Variant(true));
    box->call("SetFocus");
    if (toolkit().can("focus")) {
        EXPECT_TRUE(toolkit().has_focus(*box));
    }
    ORTIVA_EXPECT_ERROR(438, make("Label")->call("SetFocus"));  // a label takes no focus
}

TEST_P(HostControls, ListItemsAddInsertsAtAPositionAndMovesLaterRowsDown) {
    auto lvw = list_view({"No", "Name"});
    auto items = get_object(*lvw, "ListItems");
    add_row(*lvw, Variant::missing(), "a");
    add_row(*lvw, Variant::missing(), "c");
    auto c_row = get_object(*lvw, "ListItems", {v(2)});
    add_row(*lvw, Variant(int16_t{2}), "b");
    add_row(*lvw, v(1), "first");
    add_row(*lvw, v(5), "last");  // Count + 1 appends
    EXPECT_EQ((std::vector<std::string>{"first", "a", "b", "c", "last"}), row_texts(*lvw));
    EXPECT_EQ(4, number(*c_row, "Index"));  // a row object follows its row
    ORTIVA_EXPECT_ERROR(35600, add_row(*lvw, v(7), "x"));
    ORTIVA_EXPECT_ERROR(35600, add_row(*lvw, v(0), "x"));
    ORTIVA_EXPECT_ERROR(13, add_row(*lvw, Variant("two"), "x"));
    EXPECT_EQ(5, number(*items, "Count"));
    ORTIVA_EXPECT_ERROR(35600, items->get("Item", {v(6)}));
    ORTIVA_EXPECT_ERROR(35600, lvw->get("ListItems", {v(0)}));

    items->call("Remove", {v(1)});
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "last"}), row_texts(*lvw));
    EXPECT_EQ(3, number(*c_row, "Index"));
    ORTIVA_EXPECT_ERROR(35600, items->call("Remove", {v(5)}));
    // Objects kept for a removed row fail cleanly instead of reaching a row that is gone.
    auto cells = get_object(*c_row, "ListSubItems");
    items->call("Remove", {v(3)});
    ORTIVA_EXPECT_ERROR(35605, c_row->get("Text"));
    ORTIVA_EXPECT_ERROR(35605, cells->get("Count"));
    items->call("Clear");
    EXPECT_EQ(0, number(*items, "Count"));
}

TEST_P(HostControls, ListItemKeysAreUnique) {
    auto lvw = list_view({"Name"});
    auto items = get_object(*lvw, "ListItems");
    items->call("Add", {Variant::missing(), Variant("k1"), Variant("one")});
    ORTIVA_EXPECT_ERROR(35602,
                        items->call("Add", {Variant::missing(), Variant("k1"), Variant("two")}));
    EXPECT_EQ(1, number(*items, "Count"));
    EXPECT_EQ("one", text(*get_object(*items, "Item", {Variant("k1")}), "Text"));
    ORTIVA_EXPECT_ERROR(35601, items->get("Item", {Variant("nope")}));
}

TEST_P(HostControls, SubItemsFollowTheColumns) {
    auto lvw = list_view({"No", "Code", "Name"});
    add_row(*lvw, Variant::missing(), "1");
    auto row = get_object(*lvw, "ListItems", {v(1)});
    // A row whose cells were never set reads as empty texts through either member.
    EXPECT_EQ("", text(*row, "SubItems", {v(2)}));
    EXPECT_EQ("", text(*get_object(*row, "ListSubItems", {v(1)}), "Text"));
    row->let("SubItems", Variant(int16_t{42}), {v(2)});
    row->let("Text", Variant("one"));
    EXPECT_EQ("42", text(*row, "SubItems", {v(2)}));
    EXPECT_EQ("42", text(*get_object(*row, "ListSubItems", {v(2)}), "Text"));
    EXPECT_EQ("one", text(*row, "Text"));
    ORTIVA_EXPECT_ERROR(380, row->let("SubItems", Variant("x"), {v(3)}));
    ORTIVA_EXPECT_ERROR(380, row->get("SubItems", {v(0)}));
    ORTIVA_EXPECT_ERROR(35600, row->get("ListSubItems", {v(3)}));
    ORTIVA_EXPECT_ERROR(94, row->let("SubItems", Variant::null(), {v(1)}));

    auto headers = get_object(*lvw, "ColumnHeaders");
    EXPECT_EQ(3, number(*headers, "Count"));
    get_object(*lvw, "ColumnHeaders", {v(2)})->let("Text", Variant("Item code"));
    EXPECT_EQ("Item code", text(*get_object(*headers, "Item", {v(2)}), "Text"));
    ORTIVA_EXPECT_ERROR(35600, headers->get("Item", {v(4)}));
    // A column added among the others moves the sub-items after it one to the right, and
    // Add answers the header it made, not the last one.
    const Variant added = headers->call("Add", {v(2), Variant::missing(), Variant("Qty")});
    EXPECT_EQ("Qty", text(*added.object(), "Text"));
    EXPECT_EQ("", text(*row, "SubItems", {v(1)}));
    EXPECT_EQ("42", text(*row, "SubItems", {v(3)}));
}

TEST_P(HostControls, SelectedItemIsNothingUntilARowIsSelected) {
    auto lvw = list_view({"Name"});
    ORTIVA_EXPECT_ERROR(91, get_object(*lvw, "SelectedItem")->get("Index"));
    for (const char* t : {"a", "b", "c"})
        add_row(*lvw, Variant::missing(), t);
    ORTIVA_EXPECT_ERROR(91, get_object(*lvw, "SelectedItem"));
    get_object(*lvw, "ListItems", {v(1)})->let("Selected", Variant(true));
    EXPECT_EQ(1, number(*get_object(*lvw, "SelectedItem"), "Index"));
    get_object(*lvw, "ListItems", {v(2)})->let("Selected", Variant(true));
    EXPECT_EQ(2, number(*get_object(*lvw, "SelectedItem"), "Index"));
    EXPECT_FALSE(to_bool(get_object(*lvw, "ListItems", {v(1)})->get("Selected")));
    // Removing the selected row selects the row that takes its place, or the new last row.
    get_object(*lvw, "ListItems")->call("Remove", {v(2)});
    EXPECT_EQ("c", text(*get_object(*lvw, "SelectedItem"), "Text"));
    get_object(*lvw, "ListItems")->call("Remove", {v(2)});
    EXPECT_EQ("a", text(*get_object(*lvw, "SelectedItem"), "Text"));
    get_object(*lvw, "ListItems")->call("Remove", {v(1)});
    ORTIVA_EXPECT_ERROR(91, get_object(*lvw, "SelectedItem"));
}

TEST_P(HostControls, TreeNodesKeepOrderParentsAndUniqueKeys) {
    auto tvw = make("TreeView", "tvw");
    auto nodes = get_object(*tvw, "Nodes");
    const Variant none = Variant::missing();
    auto add = [&](const Variant& relative, const Variant& relationship, const char* key) {
        nodes->call("Add", {relative, relationship, Variant(key), Variant(std::string("t") + key)});
    };
    add(none, none, "root");
    add(Variant("root"), Variant(int16_t{4}), "b");
    add(Variant("root"), Variant(int16_t{4}), "d");
    add(Variant("b"), v(2), "c");      // next after b
    add(Variant("b"), v(3), "a");      // previous to b
    add(Variant("d"), v(0), "first");  // first among d's siblings
    add(Variant("d"), v(1), "last");   // last among d's siblings
    add(Variant("d"), v(4), "d1");
    add(none, none, "root2");
    EXPECT_EQ(9, number(*nodes, "Count"));

    ORTIVA_EXPECT_ERROR(35602, add(Variant("root"), v(4), "b"));
    ORTIVA_EXPECT_ERROR(35601, add(Variant("missing"), v(4), "x"));
    ORTIVA_EXPECT_ERROR(35601, add(Variant(""), v(4), "y"));
    EXPECT_EQ(9, number(*nodes, "Count"));
    EXPECT_EQ("Key is not unique in collection",
              raised_by([&] { add(none, none, "root"); }).description());
    EXPECT_EQ("Element not found",
              raised_by([&] { add(Variant("nowhere"), v(4), "z"); }).description());

    // Children of root in display order, read through the members alone.
    std::vector<std::string> children;
    auto root = get_object(*nodes, "Item", {Variant("root")});
    EXPECT_EQ(6, number(*root, "Children"));
    for (auto n = object_of(root->get("Child")); n;) {
        children.push_back(text(*n, "Key"));
        EXPECT_EQ("root", text(*get_object(*n, "Parent"), "Key"));
        const Variant next = n->get("Next");
        n = next.object();
    }
    EXPECT_EQ((std::vector<std::string>{"first", "a", "b", "c", "d", "last"}), children);
    auto d1 = get_object(*tvw, "Nodes", {Variant("d1")});
    EXPECT_EQ("td1", text(*d1, "Text"));
    EXPECT_EQ("d", text(*get_object(*d1, "Parent"), "Key"));
    ORTIVA_EXPECT_ERROR(91, get_object(*root, "Parent"));
    EXPECT_EQ("troot\\td\\td1", text(*d1, "FullPath"));

    nodes->call("Remove", {Variant("d")});  // takes its branch with it
    EXPECT_EQ(7, number(*nodes, "Count"));
    ORTIVA_EXPECT_ERROR(35605, d1->get("Parent"));
    add(none, none, "d1");  // its key is free again
}

TEST_P(HostControls, GridCellsInsideTheGridOnly) {
    auto grid = make("MSFlexGrid", "grd");
    grid->let("Rows", v(3));
    grid->let("Cols", v(2));
    EXPECT_EQ(3, number(*grid, "Rows"));
    EXPECT_EQ(2, number(*grid, "Cols"));
    EXPECT_EQ("", text(*grid, "TextMatrix", {v(2), v(1)}));  // never set
    grid->let("TextMatrix", Variant("A"), {v(1), v(0)});
    grid->let("TextMatrix", Variant(10), {Variant(int16_t{2}), v(1)});
    EXPECT_EQ("A", text(*grid, "TextMatrix", {v(1), v(0)}));
    EXPECT_EQ("10", text(*grid, "TextMatrix", {v(2), v(1)}));
    const std::vector<std::pair<int32_t, int32_t>> outside = {{-1, 0}, {3, 0}, {0, 2}, {0, -1}};
    for (const auto& [r, c] : outside) {
        SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
        ORTIVA_EXPECT_ERROR(381, grid->get("TextMatrix", {v(r), v(c)}));
        ORTIVA_EXPECT_ERROR(381, grid->let("TextMatrix", Variant("x"), {v(r), v(c)}));
    }
    grid->call("Clear");
    EXPECT_EQ(3, number(*grid, "Rows"));
    EXPECT_EQ(2, number(*grid, "Cols"));
    EXPECT_EQ("", text(*grid, "TextMatrix", {v(2), v(1)}));
    // Rows dropped and added again come back empty.
    grid->let("TextMatrix", Variant("gone"), {v(2), v(0)});
    grid->let("Rows", v(2));
    grid->let("Rows", v(3));
    EXPECT_EQ("", text(*grid, "TextMatrix", {v(2), v(0)}));
}

// A size beyond a limit fails before anything is allocated, whichever dimension is set first,
// and leaves the grid as it was.
TEST_P(HostControls, GridSizeIsCheckedBeforeItGrows) {
    using namespace ortiva::controls;
    struct Case {
        int32_t cols;
        Variant rows;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {0, v(2147483647), 7},
        {0, v(max_grid_rows + 1), 7},
        {1, v(max_grid_rows + 1), 7},
        {max_grid_cols, v(int32_t{max_grid_cells / max_grid_cols} + 1), 7},
        {2, Variant(2147483648.0), 6},
        {2, v(-1), 380},
        {0, v(max_grid_rows), 0},
        {max_grid_cols, v(int32_t{max_grid_cells / max_grid_cols}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cols) + " x " + to_text(c.rows));
        auto grid = make("MSFlexGrid", "grd");
        grid->let("Cols", v(c.cols));
        ORTIVA_EXPECT_ERROR(c.error, grid->let("Rows", c.rows));
        EXPECT_EQ(c.error == 0 ? to_int32(c.rows) : 2, number(*grid, "Rows"));
        EXPECT_EQ(c.cols, number(*grid, "Cols"));
    }
    auto grid = make("MSFlexGrid", "grd");
    grid->let("Rows", v(0));
    ORTIVA_EXPECT_ERROR(7, grid->let("Cols", v(max_grid_cols + 1)));
    ORTIVA_EXPECT_ERROR(7, grid->let("Cols", v(2147483647)));
    EXPECT_EQ(2, number(*grid, "Cols"));
}

// An id resolved once serves every kind: each answers it as it answers the name, and a kind
// without the member refuses it as it refuses the name.
TEST_P(HostControls, MembersByIdAnswerAsByName) {
    const MemberId text_id = HostObject::id_of("Text");
    const MemberId rows_id = HostObject::id_of("rows");
    auto box = make("TextBox", "txt");
    auto lvw = make("ListView", "lvw");
    get_object(*lvw, "ColumnHeaders")->call("Add");
    get_object(*lvw, "ColumnHeaders")->call("Add");
    auto items = get_object(*lvw, "ListItems");
    const MemberId add_id = HostObject::id_of("ADD");
    auto row = object_of(items->call_by_id(add_id, {Variant::missing(), Variant("k1"), v(7)}));
    auto grid = make("MSFlexGrid", "grd");
    for (int round = 0; round < 2; ++round) {
        box->let_by_id(text_id, Variant("typed"));
        EXPECT_EQ("typed", text(*box, "Text"));
        EXPECT_EQ("7", to_text(row->get_by_id(text_id)));
        row->let_by_id(HostObject::id_of("SubItems"), Variant(3.5), {v(1)});
        EXPECT_EQ("3.5", text(*row, "SubItems", {v(1)}));
        EXPECT_EQ(2, to_int32(grid->get_by_id(rows_id)));
        ORTIVA_EXPECT_ERROR(438, box->get_by_id(rows_id));
        ORTIVA_EXPECT_ERROR(438, box->get("Rows"));
        ORTIVA_EXPECT_ERROR(450, box->get_by_id(text_id, {v(1)}));
    }
    EXPECT_EQ(1, to_int32(items->get_by_id(HostObject::id_of("Count"))));
    ORTIVA_EXPECT_ERROR(35602, items->call_by_id(add_id, {Variant::missing(), Variant("k1")}));
    ORTIVA_EXPECT_ERROR(438, box->get_by_id(MemberId{-1}));
}

TEST_P(HostControls, CheckBoxValueIsZeroOneOrTwo) {
    auto check = make("CheckBox", "chk");
    for (int32_t ok : {1, 2, 0}) {
        check->let("Value", v(ok));
        EXPECT_EQ(ok, number(*check, "Value"));
    }
    for (const Variant& bad : {v(3), v(-1), Variant(true)}) {
        ORTIVA_EXPECT_ERROR(380, check->let("Value", bad));
    }
    EXPECT_EQ(0, number(*check, "Value"));
}

TEST_P(HostControls, FormListsItsControlsFromZero) {
    auto form = make("Form", "frmMain");
    EXPECT_EQ("frmMain", text(*form, "Name"));
    const std::vector<std::string> kinds = {"Label", "TextBox", "MSFlexGrid"};
    for (const auto& kind : kinds)
        toolkit().add_to_form(*form, make(kind, "c" + kind));
    auto controls = get_object(*form, "Controls");
    ASSERT_EQ(3, number(*controls, "Count"));
    for (int32_t i = 0; i < 3; ++i) {
        auto c = get_object(*form, "Controls", {Variant(static_cast<int16_t>(i))});
        EXPECT_EQ(kinds[static_cast<std::size_t>(i)], c->type_name());
        EXPECT_EQ("c" + kinds[static_cast<std::size_t>(i)], text(*c, "Name"));
        c->let("Enabled", Variant(false));
        EXPECT_FALSE(to_bool(get_object(*controls, "Item", {v(i)})->get("Enabled")));
    }
    ORTIVA_EXPECT_ERROR(9, controls->get("Item", {v(3)}));
    EXPECT_EQ("cTextBox", text(*get_object(*form, "Controls", {Variant("CTEXTBOX")}), "Name"));
    ORTIVA_EXPECT_ERROR(730, form->get("Controls", {Variant("nope")}));
    form->let("Enabled", Variant(false));
    EXPECT_FALSE(to_bool(form->get("Enabled")));
    auto label = get_object(*form, "Controls", {v(0)});
    label->let("Caption", Variant("Code"));
    EXPECT_EQ("Code", text(*label, "Caption"));
}

TEST_P(HostControls, ReadOnlyMembersAndArgumentCounts) {
    auto combo = make("ComboBox");
    ORTIVA_EXPECT_ERROR(383, combo->let("ListCount", v(3)));
    ORTIVA_EXPECT_ERROR(383, combo->let("Name", Variant("other")));
    ORTIVA_EXPECT_ERROR(450, combo->get("List"));
    ORTIVA_EXPECT_ERROR(450, combo->call("AddItem"));
    ORTIVA_EXPECT_ERROR(94, combo->call("AddItem", {Variant::null()}));
    EXPECT_EQ(0, number(*combo, "ListCount"));
}

}  // namespace ortiva::testing
