#include <cstdint>
#include <string>

#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

// The condition is a text parameter: anything else fails the way passing it would.
const std::string& condition_text(const Variant& condition) {
    static const std::string empty;
    if (condition.is_string()) return condition.str();
    if (condition.is_empty()) return empty;
    raise(condition.is_null() ? err::invalid_null : err::type_mismatch);
}

}  // namespace

void ClsCommonDb::PopulateComboOrList(HostObject& cboCntrl, const std::string& strFieldCode,
                                      const std::string& strFieldName,
                                      const Variant& strWhereCondition) {
    db::with_hint([&] {
        const std::string remembered = to_text(cboCntrl.get("Text"));
        cboCntrl.call("Clear");

        std::string query = "select " + strFieldCode + ", " + strFieldName + " from " + table_;
        if (!strWhereCondition.is_missing()) query += " where " + condition_text(strWhereCondition);
        last_sql_ = query;

        const auto rs = connection()->Execute(query, -1);
        auto& fields = rs->Fields();
        const MemberId add_item = HostObject::id_of("AddItem");
        const MemberId new_index = HostObject::id_of("NewIndex");
        const MemberId item_data = HostObject::id_of("ItemData");
        while (!rs->Eof()) {
            cboCntrl.call_by_id(add_item, {fields.Item(1).Value()});
            const Variant index = cboCntrl.get_by_id(new_index);
            cboCntrl.let_by_id(item_data, fields.Item(0).Value(), {index});
            rs->MoveNext();
        }
        cboCntrl.let("ListIndex", Variant(FindListIndex(cboCntrl, remembered)));
    });
}

int32_t ClsCommonDb::FindListIndex(HostObject& control, const std::string& text) {
    const std::string wanted = text::upper(text::trim(text));
    const int32_t last = to_int32(control.get("ListCount")) - 1;
    const MemberId list = HostObject::id_of("List");
    for (int32_t i = 0; i <= last; ++i) {
        if (text::upper(text::trim(to_text(control.get_by_id(list, {Variant(i)})))) == wanted) {
            return i;
        }
    }
    return -1;
}

}  // namespace ortiva
