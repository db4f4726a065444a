#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"

namespace ortiva {

namespace {

// The object's own validation failures carry no source of their own.
constexpr int32_t validation_failure = 1;

Variant stored_value(const Variant& v) {
    return v.is_missing() ? Variant::null() : v;
}

}  // namespace

bool ClsCommonDb::fnInsertRecord(const VariantArray& values) {
    return db::with_hint([&] {
        last_sql_ = "Select * from " + table_;
        // A failure below leaves rs to its destructor, which drops the pending row unsaved.
        Recordset rs;
        rs.Open(last_sql_, connection(), adOpenKeyset, adLockOptimistic, -1);
        auto& fields = rs.Fields();
        int32_t count = fields.Count();
        // A trailing row-GUID column fills itself on the server.
        if (count > 0 && db::is_rowguid(fields.Item(count - 1).Name())) --count;
        if (values.ubound() != count - 1) {
            raise(validation_failure, {},
                  "Supplied parameter values should be equal to no of fields in Table");
        }
        rs.AddNew();
        for (int32_t i = 0; i < count; ++i)
            fields.Item(i).Value(stored_value(values[i]));
        rs.Update();
        rs.Close();
        return true;
    });
}

bool ClsCommonDb::fnUpdateSelectedRecord(const std::string& strRecordSelCreteira,
                                         const VariantArray& VarFieldNameAndValuesAlternatively) {
    const VariantArray& pairs = VarFieldNameAndValuesAlternatively;
    return db::with_hint([&] {
        last_sql_ = "Select * from " + table_ + " where " + strRecordSelCreteira;
        Recordset rs;
        rs.Open(last_sql_, connection(), adOpenKeyset, adLockOptimistic, -1);
        if (!rs.Eof()) {
            const int32_t last = pairs.ubound();
            if ((last + 1) % 2 != 0) {
                raise(validation_failure, {}, "Supplied fields and values does not match");
            }
            // Only the current (first matching) row changes, however many rows match.
            for (int32_t i = 0; i <= last; i += 2) {
                rs.Fields().Item(pairs[i]).Value(stored_value(pairs[i + 1]));
            }
            rs.Update();
        }
        rs.Close();
        return true;
    });
}

bool ClsCommonDb::fnDeleteSelectedRecord(const std::string& strRecordSelCreteira) {
    return db::with_hint([&] {
        last_sql_ = "delete from " + table_ + " where " + strRecordSelCreteira;
        connection()->Execute(last_sql_, -1);
        return true;
    });
}

}  // namespace ortiva
