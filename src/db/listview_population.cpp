#include <cstdint>
#include <string>
#include <vector>

#include "db/control_support.hpp"
#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

enum class Kind { skip, serial, constant, field };

Kind kind_of(const Variant& entry) {
    const std::string marker = text::upper(join_text(entry));
    if (marker == "SKIP") return Kind::skip;
    if (marker == "SLNO") return Kind::serial;
    if (is_numeric(entry)) return Kind::constant;
    return Kind::field;
}

// What one list-view column shows, worked out once per call so that the row loop does no
// lookups and builds no arguments of its own.
struct Column {
    Kind kind;
    const Variant* entry;  // the constant shown in every row
    int32_t position;      // the result field of a field column
    Args sub_item;         // {c}, the index of "SubItems"
};

std::vector<Column> plan_columns(const VariantArray& entries, int32_t last) {
    std::vector<Column> columns;
    columns.reserve(static_cast<std::size_t>(last + 1));
    int32_t position = 0;
    for (int32_t c = 0; c <= last; ++c) {
        const Variant& entry = entries[c];
        const Kind kind = kind_of(entry);
        columns.push_back(
            {kind, &entry, kind == Kind::field ? position++ : -1, Args{db::int16_arg(c)}});
    }
    return columns;
}

// The SELECT list: the field columns' entries in order, joined without spaces.
std::string field_list(const VariantArray& entries, const std::vector<Column>& columns) {
    std::string list;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].kind != Kind::field) continue;
        const std::string name = join_text(entries[static_cast<int32_t>(c)]);
        list = list.empty() ? name : text::trim(list) + "," + name;
    }
    return list;
}

}  // namespace

void ClsCommonDb::PopulateListview(HostObject& lvwCntrl, const std::string& strTable,
                                   std::string& strCondition, const VariantArray& ArrFields) {
    const std::shared_ptr<HostRuntime> rt = runtime();
    try {
        lvwCntrl.let("Visible", Variant(false));
        const auto items = db::member_object(lvwCntrl, "ListItems");
        items->call("Clear");
        strCondition = text::trim(strCondition);

        const int32_t last = ArrFields.ubound();
        if (to_int16(db::member_object(lvwCntrl, "ColumnHeaders")->get("Count")) != last + 1) {
            raise(err::app_defined, {}, db::column_count_message);
        }
        const std::vector<Column> columns = plan_columns(ArrFields, last);

        std::string sql = "select " + field_list(ArrFields, columns) + "  From  " + strTable;
        if (!strCondition.empty()) sql += " where " + strCondition;
        last_sql_ = sql;

        Recordset rs;
        rs.CursorLocation(adUseClient);
        rs.Open(sql, connection(), adOpenStatic, adLockReadOnly, -1);
        // More rows than a 16-bit row number can address fail here, before any row is added.
        const int32_t rows = round_to_int16(rs.RecordCount());

        if (!rs.Eof()) {
            rs.MoveFirst();
            auto& fields = rs.Fields();
            std::vector<Field> sources;
            for (const Column& column : columns) {
                if (column.kind == Kind::field) sources.push_back(fields.Item(column.position));
            }
            const Variant empty_text{std::string()};
            std::vector<Variant> cells(columns.size());  // each column's value, storage reused
            Args add{Variant(), Variant::missing(), Variant()};
            Args row_index{Variant()};
            if (columns.empty()) raise(err::subscript);  // there is no entry for the row text
            const Column& first = columns.front();
            // Resolved once: the loop below makes several member calls per cell.
            const MemberId add_id = HostObject::id_of("Add");
            const MemberId list_items_id = HostObject::id_of("ListItems");
            const MemberId sub_items_id = HostObject::id_of("SubItems");

            for (int32_t j = 1; j <= rows; ++j) {
                const Variant serial(static_cast<int16_t>(j));
                add[0] = serial;
                switch (first.kind) {
                    case Kind::skip:
                        add[2] = empty_text;
                        break;
                    case Kind::serial:
                        add[2] = serial;
                        break;
                    case Kind::constant:
                        add[2] = *first.entry;
                        break;
                    case Kind::field:
                        db::read_current(rs, sources.front(), 0, add[2]);
                        break;
                }
                items->call_by_id(add_id, add);

                row_index[0] = serial;
                const auto item = db::member_object(lvwCntrl, list_items_id, row_index);
                for (std::size_t c = 1; c < columns.size(); ++c) {
                    const Column& column = columns[c];
                    switch (column.kind) {
                        case Kind::skip:
                            item->let_by_id(sub_items_id, empty_text, column.sub_item);
                            break;
                        case Kind::serial:
                            item->let_by_id(sub_items_id, serial, column.sub_item);
                            break;
                        case Kind::constant:
                            item->let_by_id(sub_items_id, *column.entry, column.sub_item);
                            break;
                        case Kind::field: {
                            // A Null leaves the cell as the new row has it: empty.
                            const Variant& value = db::read_current(rs, sources[column.position],
                                                                    column.position, cells[c]);
                            if (!value.is_null())
                                item->let_by_id(sub_items_id, value, column.sub_item);
                            break;
                        }
                    }
                }
                if (j % 100 == 0) rt->DoEvents();
                rs.MoveNext();
            }
            db::member_object(lvwCntrl, "ListItems", {Variant(int16_t{1})})
                ->let("Selected", Variant(true));
        }
        rs.Close();
        lvwCntrl.let("Visible", Variant(true));
    } catch (...) {
        ErrorInfo failure = current_error();
        // A list view left hidden after a failure would hide the failure from the user too.
        try {
            lvwCntrl.let("Visible", Variant(true));
        } catch (...) {
        }
        throw failure;
    }
}

}  // namespace ortiva
