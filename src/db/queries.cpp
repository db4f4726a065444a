#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/recordset.hpp"

namespace ortiva {

int32_t ClsCommonDb::fnGetNextMaxNo(const std::string& strFieldName) {
    return db::with_hint([&] {
        int32_t next = 1;
        last_sql_ = "select max(" + strFieldName + ") from " + table_;
        Recordset rs;
        rs.Open(last_sql_, connection(), adOpenForwardOnly, adLockReadOnly, -1);
        if (!rs.Eof()) {
            const Variant max = rs.Fields().Item(0).Value();
            // Read through the text form so that text keys such as "0007" count as numbers.
            if (!max.is_null()) next = round_to_int32(leading_number(to_text(max)) + 1);
        }
        rs.Close();
        return next;
    });
}

Variant ClsCommonDb::fnReturnField(const std::string& strFieldName, const Variant& strWhereCond) {
    return db::with_hint([&] {
        Variant result;
        std::string sql = "select " + strFieldName + " from " + table_;
        if (!strWhereCond.is_missing()) sql += " where " + join_text(strWhereCond);
        last_sql_ = sql;
        Recordset rs;
        rs.Open(last_sql_, connection(), adOpenForwardOnly, adLockReadOnly, -1);
        if (!rs.Eof()) {
            Variant value = rs.Fields().Item(0).Value();
            if (!value.is_null()) result = std::move(value);
        }
        rs.Close();
        return result;
    });
}

std::shared_ptr<Recordset> ClsCommonDb::fnReturnRecords(const std::string& strQuery) {
    return db::with_hint([&] {
        last_sql_ = strQuery;
        auto rs = std::make_shared<Recordset>();
        rs->Open(strQuery, connection(), adOpenKeyset, adLockOptimistic, -1);
        return rs;
    });
}

}  // namespace ortiva
