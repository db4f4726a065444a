#include <array>
#include <cctype>

#include "ortiva/component.hpp"

namespace ortiva::component {

namespace {

using enum Type;
constexpr bool by_value = false;

constexpr Parameter P(std::string_view name, Type type) {
    return {name, type};
}
constexpr Parameter optional(std::string_view name, Type type) {
    return {name, type, true, true};
}
constexpr Parameter written(std::string_view name, Type type) {
    return {name, type, true, false, true};
}
constexpr Parameter value_of(std::string_view name, Type type) {
    return {name, type, by_value};
}

constexpr int32_t get_let = property_get | property_let;

// ---- ClsCommonDb ----
constexpr Parameter set_property_values[] = {P("strConnectionString", string),
                                             P("strUserId", string), P("strPassword", string),
                                             optional("strDefaultTable", string)};
constexpr Parameter field_name[] = {P("strFieldName", string)};
constexpr Parameter combo_or_list[] = {P("cboCntrl", control), P("strFieldCode", string),
                                       P("strFieldName", string),
                                       optional("strWhereCondition", variant)};
constexpr Parameter return_field[] = {P("strFieldName", string), optional("strWhereCond", variant)};
constexpr Parameter query[] = {P("strQuery", string)};
constexpr Parameter insert_record[] = {P("values", array)};
constexpr Parameter grid_details[] = {value_of("mfgGrid", control),
                                      written("varColindexorValues", array)};
constexpr Parameter listview_details[] = {value_of("lvwCntrl", control),
                                          written("varColindexorValues", array)};
constexpr Parameter update_selected[] = {P("strRecordSelCreteira", string),
                                         P("VarFieldNameAndValuesAlternatively", array)};
constexpr Parameter delete_selected[] = {P("strRecordSelCreteira", string)};
constexpr Parameter insert_listview[] = {P("lvwCntrl", control), written("intIndex", integer),
                                         P("ArrFields", array)};
constexpr Parameter populate_listview[] = {P("lvwCntrl", control), P("strTable", string),
                                           written("strCondition", string), P("ArrFields", array)};
constexpr Parameter delete_listview[] = {
    P("blnIsListIndex", boolean), P("lvwCntrl", control), P("blnNoTobeRenumbered", boolean),
    optional("strCriteria", variant), optional("intColNo", integer)};
constexpr Parameter populate_tree[] = {P("tvwCntrl", control), P("strQuery", string),
                                       P("strTitle", string), P("strFieldNamesAsNodes", array)};

constexpr Member common_db[] = {
    {"strTableName", 0x40030000, get_let, {}, string},
    {"LastExecutedSql", 0x68030000, get_let, {}, string},
    {"adocon", 0x68030001, property_let, {}, connection},
    {"ConState", 0x68030002, property_get, {}, integer},
    {"dtSystemDate", 0x68030003, property_get, {}, date},
    {"SetPropertyValues", 0x60030004, method, set_property_values, none},
    {"fnGetNextMaxNo", 0x60030005, method, field_name, long_value},
    {"PopulateComboOrList", 0x60030006, method, combo_or_list, none},
    {"fnReturnField", 0x60030007, method, return_field, variant},
    {"fnReturnRecords", 0x60030008, method, query, recordset},
    {"fnInsertRecord", 0x60030009, method, insert_record, boolean},
    {"fnInsertGridDetails", 0x6003000a, method, grid_details, boolean},
    {"fnUpdateListViewDetails", 0x6003000b, method, listview_details, boolean},
    {"fnUpdateSelectedRecord", 0x6003000c, method, update_selected, boolean},
    {"fnDeleteSelectedRecord", 0x6003000d, method, delete_selected, boolean},
    {"fnInsertListview", 0x6003000e, method, insert_listview, boolean},
    {"PopulateListview", 0x6003000f, method, populate_listview, none},
    {"fnDeleteListview", 0x60030010, method, delete_listview, boolean},
    {"PopulateTree", 0x60030011, method, populate_tree, none},
    {"BeginTrans", 0x60030012, method, {}, none},
    {"CommitTrans", 0x60030013, method, {}, none},
    {"RollBackTrans", 0x60030014, method, {}, none},
};

// ---- clsCommonGen ----
constexpr Parameter select_by_value[] = {P("cboorlstCntrl", control),
                                         P("lngItemValue", long_value)};
constexpr Parameter select_by_name[] = {P("cboorlstCntrl", control), P("strItem", string)};
constexpr Parameter form_enabled[] = {P("frmFormName", control), P("blnEnableControls", boolean)};
constexpr Parameter except_form[] = {P("strExceptForm", string)};
constexpr Parameter text_validate[] = {P("txtcontrol", control), written("keyascii", integer),
                                       P("intNoLength", integer),
                                       optional("intPrecision", integer)};
constexpr Parameter form[] = {P("frmFormName", control)};
constexpr Parameter mandatory[] = {P("cntrl", control), P("strMessage", string),
                                   optional("strTitle", string)};
constexpr Parameter duplicate_row[] = {value_of("mfgGrd", control), P("columns", array)};
constexpr Parameter user_right[] = {P("strAction", string), P("strRights", string)};
constexpr Parameter match_combo[] = {P("cboCntrl", control), written("keyascii", integer)};
constexpr Parameter get_index[] = {value_of("objList", control), value_of("String1", string)};

constexpr Member common_gen[] = {
    {"SelectComboItemByValue", 0x60030000, method, select_by_value, none},
    {"SelectComboItem", 0x60030001, method, select_by_value, none},
    {"FormControlsEnabled", 0x60030002, method, form_enabled, none},
    {"DisableAllForms", 0x60030003, method, except_form, none},
    {"EnableAllForms", 0x60030004, method, {}, none},
    {"TextValidateNum", 0x60030005, method, text_validate, none},
    {"ClearControls", 0x60030006, method, form, none},
    {"fnMandatoryFldAvailable", 0x60030007, method, mandatory, boolean},
    {"fnGridDuplicateRow", 0x60030008, method, duplicate_row, long_value},
    {"SelectComboItemByName", 0x60030009, method, select_by_name, none},
    {"fnUserRightOk", 0x6003000a, method, user_right, boolean},
    {"MatchComboItem", 0x6003000b, method, match_combo, none},
    {"GetIndex", 0x6003000c, method, get_index, long_value},
};

// ---- clscryptor ----
constexpr Parameter encrypt[] = {P("eText", string), P("eKey", string)};
constexpr Parameter decrypt[] = {P("dText", string), P("dKey", string)};

constexpr Member cryptor[] = {
    {"EnCrypt", 0x60030006, method, encrypt, string},
    {"DeCrypt", 0x60030007, method, decrypt, string},
};

// ---- ClsDBBackupRestore ----
constexpr Parameter server[] = {P("strSrvr", string), P("strUser", string), P("strPasswd", string)};
constexpr Parameter list_devices[] = {P("cboDevice", control), P("blnTape", boolean)};
constexpr Parameter backup[] = {P("strBackupDevice", string), P("blnInitialize", boolean),
                                P("arrDataBase", array)};
constexpr Parameter backup_details[] = {P("lvwBackupDetails", control),
                                        P("strBackupDevice", string), P("arrDataBase", array)};
constexpr Parameter restore[] = {P("strBackupDevice", string), P("intFileNumber", integer),
                                 P("arrDataBaseInBackupOrder", array)};

constexpr Member backup_restore[] = {
    {"SetConnectionToServer", 0x60030000, method, server, none},
    {"ListBackupDevice", 0x60030001, method, list_devices, none},
    {"fnBackupDatabase", 0x60030002, method, backup, boolean},
    {"fnListBackupDetails", 0x60030003, method, backup_details, boolean},
    {"fnRestoreDatabase", 0x60030004, method, restore, boolean},
};

constexpr ClassInfo class_table[] = {
    {"ClsCommonDb", "_ClsCommonDb", "F1486979-65E2-4911-A753-6FBAAB68925C",
     "2E4CBFF9-E62D-4E1C-9BFD-40A099BBD894", "Ortiva.ClsCommonDb", true, common_db},
    {"clsCommonGen", "_clsCommonGen", "0AF7E13B-1BD9-4125-8E40-1C789FD023AF",
     "6CF11A4D-E94A-4B22-AA47-674C9ECE6685", "Ortiva.clsCommonGen", true, common_gen},
    {"clscryptor", "_clscryptor", "F5B5D6E9-6E00-456C-99C7-18943C261506",
     "01E53054-7B35-4DE8-A62A-D6AEDBEA8014", "Ortiva.clscryptor", false, cryptor},
    {"ClsDBBackupRestore", "_ClsDBBackupRestore", "6C924114-8966-47CE-8E8D-2740DD3C5FBD",
     "F4AA8925-F03A-459B-AB60-AD3159A09FFB", "Ortiva.ClsDBBackupRestore", true, backup_restore},
};

constexpr TypeLibraryInfo library{"Ortiva", "5FBAF95D-7537-4705-A1F0-C96C51019D55", 1, 0};

bool same_text(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

const Member* ClassInfo::find(std::string_view member) const noexcept {
    for (const Member& m : members) {
        if (same_text(m.name, member)) return &m;
    }
    return nullptr;
}

const Member* ClassInfo::find(int32_t dispid) const noexcept {
    for (const Member& m : members) {
        if (m.dispid == dispid) return &m;
    }
    return nullptr;
}

std::span<const ClassInfo> classes() noexcept {
    return class_table;
}

const TypeLibraryInfo& type_library() noexcept {
    return library;
}

const ClassInfo* find_class(std::string_view id) noexcept {
    if (id.size() == 38 && id.front() == '{' && id.back() == '}') id = id.substr(1, 36);
    for (const ClassInfo& c : class_table) {
        if (same_text(c.progid, id) || same_text(c.clsid, id)) return &c;
    }
    return nullptr;
}

std::string_view type_name(Type type) noexcept {
    switch (type) {
        case none:
            return "";
        case string:
            return "String";
        case integer:
            return "Integer";
        case long_value:
            return "Long";
        case boolean:
            return "Boolean";
        case date:
            return "Date";
        case variant:
            return "Variant";
        case array:
            return "Variant()";
        case control:
            return "Object";
        case connection:
            return "Connection";
        case recordset:
            return "Recordset";
    }
    return "";
}

std::string signature(const Member& m) {
    std::string out;
    if (m.kinds & method) {
        out = m.result == none ? "Sub " : "Function ";
    } else {
        out = "Property ";
        out += (m.kinds & property_get) ? "Get" : "";
        out += (m.kinds & property_get) && (m.kinds & property_let) ? "/" : "";
        out += (m.kinds & property_let) ? "Let" : "";
        out += ' ';
    }
    out += m.name;
    out += '(';
    for (std::size_t i = 0; i < m.params.size(); ++i) {
        const Parameter& p = m.params[i];
        if (i) out += ", ";
        if (p.optional) out += "Optional ";
        out += p.by_ref ? "ByRef " : "ByVal ";
        out += p.name;
        out += " As ";
        out += type_name(p.type);
    }
    out += ')';
    if (m.result != none) {
        out += " As ";
        out += type_name(m.result);
    }
    return out;
}

}  // namespace ortiva::component
