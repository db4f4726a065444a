#include <string>
#include <vector>

#include "forms/fixture.hpp"

namespace ortiva::forms_test {
namespace {

HostObjectPtr form_with(const std::vector<std::pair<const char*, const char*>>& controls) {
    HostObjectPtr form = memory::create_control("Form", "frmEntry");
    for (const auto& [kind, name] : controls)
        memory::add_control(*form, memory::create_control(kind, name));
    return form;
}

HostObjectPtr control(HostObject& form, const char* name) {
    return object_of(form.get("Controls", {Variant(name)}));
}

bool enabled(HostObject& object) {
    return to_bool(object.get("Enabled"));
}

// Every kind takes Enabled alike (the toolkit suites check it per kind).
TEST_F(FormsTest, FormControlsEnabledReachesEveryControlButNotTheForm) {
    HostObjectPtr form = form_with({{"Label", "lbl"}, {"TextBox", "txt"}});
    for (const bool on : {false, true}) {
        gen.FormControlsEnabled(*form, on);
        for (const char* name : {"lbl", "txt"})
            EXPECT_EQ(enabled(*control(*form, name)), on) << name;
        EXPECT_TRUE(enabled(*form));
    }
}

class LoadedFormsTest : public FormsTest {
  protected:
    // Loaded in this order; the empty name stands for a form that was given none.
    const std::vector<std::string> names{"frmMain", "frmLogin", "FRMMAIN", "frmOrders", ""};
    std::vector<HostObjectPtr> forms;

    void SetUp() override {
        for (const auto& name : names) {
            forms.push_back(memory::create_control("Form", name));
            runtime->add_form(forms.back());
        }
    }
    std::vector<bool> states() {
        std::vector<bool> result;
        for (const auto& form : forms)
            result.push_back(enabled(*form));
        return result;
    }
};

TEST_F(LoadedFormsTest, DisableAllFormsSparesFrmMainAndTheNamedFormCaseSensitively) {
    struct Case {
        const char* except;
        std::vector<bool> expected;
    };
    const Case cases[] = {
        {"frmLogin", {true, true, false, false, false}},
        {"", {true, false, false, false, true}},
        {"frmlogin", {true, false, false, false, false}},
        {"FRMMAIN", {true, false, true, false, false}},
    };
    for (const Case& c : cases) {
        for (const auto& form : forms)
            form->let("Enabled", Variant(true));
        gen.DisableAllForms(c.except);
        EXPECT_EQ(states(), c.expected) << '"' << c.except << '"';
    }
}

TEST_F(LoadedFormsTest, SparedFormsAreLeftAsTheyWereAndEnableAllFormsEnablesEveryForm) {
    forms[0]->let("Enabled", Variant(false));  // frmMain, disabled before either call
    gen.DisableAllForms("frmLogin");
    EXPECT_EQ(states(), (std::vector<bool>{false, true, false, false, false}));
    gen.EnableAllForms();
    EXPECT_EQ(states(), (std::vector<bool>(5, true)));
}

TEST_F(FormsTest, ClearControlsEmptiesTheFourDataEntryKindsOnly) {
    HostObjectPtr form = form_with({{"TextBox", "txtName"},
                                    {"ComboBox", "cboCity"},
                                    {"MSFlexGrid", "mfgLines"},
                                    {"CheckBox", "chkActive"},
                                    {"ListBox", "lstTags"},
                                    {"Label", "lblName"}});
    control(*form, "txtName")->let("Text", Variant("Smith"));
    HostObject& city = *control(*form, "cboCity");
    city.call("AddItem", {Variant("Leeds")});
    city.let("ListIndex", Variant(int32_t{0}));
    HostObject& grid = *control(*form, "mfgLines");
    grid.let("Rows", Variant(int32_t{10}));
    grid.let("TextMatrix", Variant("Item"), {Variant(int32_t{0}), Variant(int32_t{1})});
    grid.let("TextMatrix", Variant("Bolt"), {Variant(int32_t{9}), Variant(int32_t{1})});
    grid.let("TextMatrix", Variant("Nut"), {Variant(int32_t{1}), Variant(int32_t{1})});
    control(*form, "chkActive")->let("Value", Variant(int32_t{1}));
    HostObject& tags = *control(*form, "lstTags");
    tags.call("AddItem", {Variant("new")});
    tags.let("ListIndex", Variant(int32_t{0}));
    control(*form, "lblName")->let("Caption", Variant("Name:"));

    gen.ClearControls(*form);

    EXPECT_EQ(text_of(*control(*form, "txtName")), "");
    EXPECT_EQ(int_of(city, "ListIndex"), -1);
    EXPECT_EQ(text_of(city), "");
    EXPECT_EQ(int_of(city, "ListCount"), 1);
    EXPECT_EQ(int_of(grid, "Rows"), 2);
    for (int32_t row : {0, 1}) {
        EXPECT_EQ(to_text(grid.get("TextMatrix", {Variant(row), Variant(int32_t{1})})), "") << row;
    }
    EXPECT_EQ(int_of(*control(*form, "chkActive"), "Value"), 0);
    EXPECT_EQ(int_of(tags, "ListIndex"), 0);
    EXPECT_EQ(text_of(*control(*form, "lblName"), "Caption"), "Name:");
}

TEST_F(FormsTest, MandatoryFieldTellsTheUserAndMovesTheFocusWhenBlank) {
    struct Case {
        const char* text;
        bool title_given;
        bool expected;
    };
    const Case cases[] = {
        {"", false, false},
        {"   ", true, false},
        {"0", false, true},
        {" x ", true, true},
    };
    for (const Case& c : cases) {
        runtime->reset_records();
        HostObjectPtr form = form_with({{"TextBox", "txtOther"}, {"TextBox", "txtName"}});
        HostObject& field = *control(*form, "txtName");
        field.let("Text", Variant(c.text));
        control(*form, "txtOther")->call("SetFocus");

        const bool result = c.title_given
                                ? gen.fnMandatoryFldAvailable(field, "Enter the name", "Orders")
                                : gen.fnMandatoryFldAvailable(field, "Enter the name");

        EXPECT_EQ(result, c.expected) << '"' << c.text << '"';
        EXPECT_EQ(memory::has_focus(field), !c.expected);
        if (c.expected) {
            EXPECT_TRUE(runtime->messages().empty());
            continue;
        }
        ASSERT_EQ(runtime->messages().size(), 1u);
        const auto& message = runtime->messages()[0];
        EXPECT_EQ(message.prompt, "Enter the name");
        EXPECT_EQ(message.style, 64);
        EXPECT_EQ(message.title, Variant(c.title_given ? "Orders" : ""));
    }
}

TEST_F(FormsTest, MandatoryFieldThatCannotTakeTheFocusFailsAfterTheMessage) {
    HostObjectPtr form = form_with({{"TextBox", "txtName"}});
    HostObject& field = *control(*form, "txtName");
    field.let("Visible", Variant(false));
    EXPECT_EQ(error_of([&] { gen.fnMandatoryFldAvailable(field, "Enter the name"); }),
              err::invalid_call);
    ASSERT_EQ(runtime->messages().size(), 1u);
    EXPECT_EQ(runtime->messages()[0].prompt, "Enter the name");
}

// Two windows, each with its own run time: each object shows its messages and finds its forms
// in the run time it was handed, never in the process default.
TEST_F(FormsTest, AnObjectUsesTheRunTimeItWasHanded) {
    auto first = quiet_runtime();
    auto second = quiet_runtime();
    clsCommonGen a;
    clsCommonGen b;
    a.set_runtime(first);
    b.set_runtime(second);
    HostObjectPtr form = form_with({{"TextBox", "txtName"}});
    HostObject& field = *control(*form, "txtName");
    EXPECT_FALSE(a.fnMandatoryFldAvailable(field, "from a"));
    EXPECT_FALSE(b.fnMandatoryFldAvailable(field, "from b"));
    ASSERT_EQ(first->messages().size(), 1u);
    EXPECT_EQ(first->messages()[0].prompt, "from a");
    ASSERT_EQ(second->messages().size(), 1u);
    EXPECT_EQ(second->messages()[0].prompt, "from b");
    EXPECT_TRUE(runtime->messages().empty());

    second->add_form(form);
    b.DisableAllForms("");
    EXPECT_FALSE(to_bool(form->get("Enabled")));
    a.EnableAllForms();  // first has no forms
    EXPECT_FALSE(to_bool(form->get("Enabled")));

    b.set_runtime(nullptr);  // back to the process default, which has no forms
    b.EnableAllForms();
    EXPECT_FALSE(to_bool(form->get("Enabled")));
    EXPECT_EQ(runtime->journal(), (std::vector<std::string>{"Forms"}));
}

}  // namespace
}  // namespace ortiva::forms_test
