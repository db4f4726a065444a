#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ortiva/component.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/memory_controls.hpp"
#include "support/raised.hpp"

namespace {

using ortiva::testing::error_of;

using namespace ortiva;
using namespace ortiva::component;

struct Expected {
    const char* progid;
    const char* member;
    int32_t dispid;
    int32_t kinds;
};

// Typed from the interface's member tables, independently of the class table.
const Expected members[] = {
    {"Ortiva.ClsCommonDb", "strTableName", 0x40030000, property_get | property_let},
    {"Ortiva.ClsCommonDb", "SetPropertyValues", 0x60030004, method},
    {"Ortiva.ClsCommonDb", "dtSystemDate", 0x68030003, property_get},
    {"Ortiva.ClsCommonDb", "BeginTrans", 0x60030012, method},
    {"Ortiva.ClsCommonDb", "CommitTrans", 0x60030013, method},
    {"Ortiva.ClsCommonDb", "RollBackTrans", 0x60030014, method},
    {"Ortiva.ClsCommonDb", "ConState", 0x68030002, property_get},
    {"Ortiva.ClsCommonDb", "adocon", 0x68030001, property_let},
    {"Ortiva.ClsCommonDb", "LastExecutedSql", 0x68030000, property_get | property_let},
    {"Ortiva.ClsCommonDb", "fnGetNextMaxNo", 0x60030005, method},
    {"Ortiva.ClsCommonDb", "fnReturnField", 0x60030007, method},
    {"Ortiva.ClsCommonDb", "fnReturnRecords", 0x60030008, method},
    {"Ortiva.ClsCommonDb", "fnInsertRecord", 0x60030009, method},
    {"Ortiva.ClsCommonDb", "fnUpdateSelectedRecord", 0x6003000c, method},
    {"Ortiva.ClsCommonDb", "fnDeleteSelectedRecord", 0x6003000d, method},
    {"Ortiva.ClsCommonDb", "fnInsertGridDetails", 0x6003000a, method},
    {"Ortiva.ClsCommonDb", "fnUpdateListViewDetails", 0x6003000b, method},
    {"Ortiva.ClsCommonDb", "PopulateComboOrList", 0x60030006, method},
    {"Ortiva.ClsCommonDb", "fnInsertListview", 0x6003000e, method},
    {"Ortiva.ClsCommonDb", "fnDeleteListview", 0x60030010, method},
    {"Ortiva.ClsCommonDb", "PopulateListview", 0x6003000f, method},
    {"Ortiva.ClsCommonDb", "PopulateTree", 0x60030011, method},
    {"Ortiva.clsCommonGen", "SelectComboItemByValue", 0x60030000, method},
    {"Ortiva.clsCommonGen", "SelectComboItem", 0x60030001, method},
    {"Ortiva.clsCommonGen", "SelectComboItemByName", 0x60030009, method},
    {"Ortiva.clsCommonGen", "MatchComboItem", 0x6003000b, method},
    {"Ortiva.clsCommonGen", "GetIndex", 0x6003000c, method},
    {"Ortiva.clsCommonGen", "FormControlsEnabled", 0x60030002, method},
    {"Ortiva.clsCommonGen", "DisableAllForms", 0x60030003, method},
    {"Ortiva.clsCommonGen", "EnableAllForms", 0x60030004, method},
    {"Ortiva.clsCommonGen", "ClearControls", 0x60030006, method},
    {"Ortiva.clsCommonGen", "fnMandatoryFldAvailable", 0x60030007, method},
    {"Ortiva.clsCommonGen", "TextValidateNum", 0x60030005, method},
    {"Ortiva.clsCommonGen", "fnGridDuplicateRow", 0x60030008, method},
    {"Ortiva.clsCommonGen", "fnUserRightOk", 0x6003000a, method},
    {"Ortiva.clscryptor", "EnCrypt", 0x60030006, method},
    {"Ortiva.clscryptor", "DeCrypt", 0x60030007, method},
    {"Ortiva.ClsDBBackupRestore", "SetConnectionToServer", 0x60030000, method},
    {"Ortiva.ClsDBBackupRestore", "ListBackupDevice", 0x60030001, method},
    {"Ortiva.ClsDBBackupRestore", "fnBackupDatabase", 0x60030002, method},
    {"Ortiva.ClsDBBackupRestore", "fnListBackupDetails", 0x60030003, method},
    {"Ortiva.ClsDBBackupRestore", "fnRestoreDatabase", 0x60030004, method},
};

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST(ClassTable, EveryMemberHasItsIdAndIsReachableByNameAndId) {
    std::size_t total = 0;
    for (const ClassInfo& c : classes())
        total += c.members.size();
    EXPECT_EQ(total, std::size(members)) << "a member is missing from the list or the table";

    for (const Expected& e : members) {
        SCOPED_TRACE(std::string(e.progid) + "." + e.member);
        const ClassInfo* c = find_class(e.progid);
        ASSERT_NE(c, nullptr);
        const Member* by_name = c->find(upper(e.member));
        ASSERT_NE(by_name, nullptr);
        EXPECT_EQ(by_name->name, e.member);
        EXPECT_EQ(by_name->dispid, e.dispid);
        EXPECT_EQ(by_name->kinds, e.kinds);
        EXPECT_EQ(c->find(e.dispid), by_name);
        EXPECT_EQ(create(e.progid)->id_of_name(e.member), e.dispid);
    }
}

TEST(ClassTable, ClassesCarryTheirIds) {
    const ClassInfo* db = find_class("{f1486979-65e2-4911-a753-6fbaab68925c}");
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->progid, "Ortiva.ClsCommonDb");
    EXPECT_EQ(db->iid, "2E4CBFF9-E62D-4E1C-9BFD-40A099BBD894");
    EXPECT_EQ(find_class("ortiva.CLSCRYPTOR")->clsid, "F5B5D6E9-6E00-456C-99C7-18943C261506");
    EXPECT_EQ(find_class("Ortiva.clsCommonGen")->iid, "6CF11A4D-E94A-4B22-AA47-674C9ECE6685");
    EXPECT_EQ(find_class("6C924114-8966-47CE-8E8D-2740DD3C5FBD")->iid,
              "F4AA8925-F03A-459B-AB60-AD3159A09FFB");
    EXPECT_FALSE(find_class("Ortiva.clscryptor")->predeclared);
    EXPECT_EQ(find_class("Ortiva"), nullptr);
    EXPECT_EQ(type_library().id, "5FBAF95D-7537-4705-A1F0-C96C51019D55");
    EXPECT_EQ(type_library().major, 1);
}

TEST(ClassTable, SignaturesShowPassingAndOptionalParameters) {
    const ClassInfo* gen = find_class("Ortiva.clsCommonGen");
    EXPECT_EQ(signature(*gen->find("GetIndex")),
              "Function GetIndex(ByVal objList As Object, ByVal String1 As String) As Long");
    EXPECT_EQ(signature(*gen->find("TextValidateNum")),
              "Sub TextValidateNum(ByRef txtcontrol As Object, ByRef keyascii As Integer, ByRef "
              "intNoLength As Integer, Optional ByRef intPrecision As Integer)");
}

TEST(LateBound, PropertiesAndNamesThroughTheHostObjectInterface) {
    auto db = create("Ortiva.ClsCommonDb");
    db->let("STRTABLENAME", Variant("Items"));
    EXPECT_EQ(db->get("strTableName").str(), "Items");
    EXPECT_EQ(db->type_name(), "ClsCommonDb");
    EXPECT_EQ(error_of([&] { db->get("adocon"); }), 451);
    EXPECT_EQ(error_of([&] { db->let("adocon", Variant("conn")); }), 13);
    EXPECT_EQ(error_of([&] { db->let("adocon", Variant(HostObjectPtr{})); }), 0);
    EXPECT_EQ(error_of([&] { db->call("BeginTrans", {Variant(1)}); }), 450);
    EXPECT_EQ(error_of([&] { db->get("strTableName", {Variant(1)}); }), 450);
}

TEST(LateBound, ArgumentsAreCoercedToTheirParameterTypes) {
    auto gen = create("Ortiva.clsCommonGen");
    std::vector<Variant> args{Variant(12), Variant("012")};
    // Numbers become text; text holding a number becomes a number.
    EXPECT_EQ(gen->invoke(0x6003000a, method, args), Variant(true));
    auto box = memory::create_control("TextBox");
    std::vector<Variant> too_big{Variant(box), Variant(int16_t{'1'}), Variant(70000)};
    EXPECT_EQ(error_of([&] { gen->invoke(0x60030005, method, too_big); }), 6);
    std::vector<Variant> nothing{Variant(HostObjectPtr{}), Variant(int16_t{'1'}), Variant(5)};
    EXPECT_EQ(error_of([&] { gen->invoke(0x60030005, method, nothing); }), 91);
}

TEST(LateBound, WrittenBackAlsoWhenTheCallFails) {
    // The caller's variable holds what the member saw, converted to Integer, though the list
    // view has too few columns.
    auto db = create("Ortiva.ClsCommonDb");
    auto lvw = memory::create_control("ListView");
    std::vector<Variant> args{Variant(lvw), Variant(int32_t{3}), Variant(VariantArray{"a"})};
    EXPECT_EQ(error_of([&] { db->invoke(0x6003000e, method, args); }), err::app_defined);
    EXPECT_EQ(args[1], Variant(int16_t{3}));
}

}  // namespace
