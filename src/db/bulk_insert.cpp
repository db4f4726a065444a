#include <cstdint>
#include <string>
#include <vector>

#include "db/control_support.hpp"
#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

constexpr int32_t validation_failure = 1;

// The run time's Variant addition of the Integer 1: the kind is kept where the sum fits and
// widened where it does not; a text is read as a Double.
Variant plus_one(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Empty:
            return Variant(int16_t{1});
        case VariantKind::Null:
            return v;
        case VariantKind::Boolean:
            return Variant(static_cast<int16_t>((v.boolean() ? -1 : 0) + 1));
        case VariantKind::Integer:
            if (v.integer() < INT16_MAX) return Variant(static_cast<int16_t>(v.integer() + 1));
            return Variant(int32_t{v.integer()} + 1);
        case VariantKind::Long:
            if (v.long_value() < INT32_MAX) return Variant(v.long_value() + 1);
            return Variant(static_cast<double>(v.long_value()) + 1);
        case VariantKind::Single:
            return Variant(v.single() + 1.0f);
        case VariantKind::Double:
            return Variant(v.dbl() + 1.0);
        case VariantKind::Date:
            return Variant(Date{v.date().serial + 1.0});
        case VariantKind::String:
            return Variant(to_double(v) + 1.0);
        default:
            raise(err::type_mismatch);
    }
}

enum class Source { column, fixed, running };

Source source_of(const Variant& marker) {
    const std::string m = text::upper(join_text(marker));
    if (m == "C") return Source::column;
    if (m == "V") return Source::fixed;
    return Source::running;
}

// Stores every filled line of a control as a new record; Lines supplies the control's side:
// last() the last line number, skipped(row), and cell(row, column).
template <typename Lines>
void insert_lines(Recordset& rs, Lines& lines, VariantArray& map) {
    auto& fields = rs.Fields();
    int32_t count = fields.Count();
    if (count > 0 && db::is_rowguid(fields.Item(count - 1).Name())) --count;
    if ((map.ubound() + 1) / 2.0 != count) {
        raise(validation_failure, {},
              "Supplied parameter values should be equal to no of fields in Table");
    }

    // Markers, value slots and field handles do not change during the call; only the running
    // values do.
    std::vector<Source> sources;
    std::vector<Variant*> values;
    std::vector<Field> targets;
    const int32_t last = lines.last();
    for (int32_t row = 1; row <= last; ++row) {
        if (lines.skipped(row)) continue;
        rs.AddNew();
        if (sources.empty()) {
            const int32_t upper = map.ubound();
            for (int32_t j = 0, k = 0; j <= upper; j += 2, ++k) {
                sources.push_back(source_of(map[j]));
                values.push_back(&map[j + 1]);
                targets.push_back(fields.Item(k));
            }
        }
        for (std::size_t k = 0; k < sources.size(); ++k) {
            Variant& value = *values[k];
            switch (sources[k]) {
                case Source::column:
                    targets[k].Value(lines.cell(row, value));
                    break;
                case Source::fixed:
                    targets[k].Value(value);
                    break;
                case Source::running:
                    targets[k].Value(value);
                    value = plus_one(value);
                    break;
            }
        }
    }
    rs.UpdateBatch(adAffectAll);
    rs.Close();
}

// Each reads its cells by member ids resolved when it is made, once per call.
struct GridLines {
    HostObject& grid;
    MemberId text_matrix = HostObject::id_of("TextMatrix");

    int32_t last() { return to_int16(grid.get("Rows")) - 1; }
    bool skipped(int32_t row) {
        return db::is_empty_text(
            grid.get_by_id(text_matrix, {db::int16_arg(row), Variant(int16_t{1})}));
    }
    Variant cell(int32_t row, const Variant& column) {
        return grid.get_by_id(text_matrix, {db::int16_arg(row), column});
    }
};

struct ListViewLines {
    HostObject& list_view;
    MemberId list_items = HostObject::id_of("ListItems");
    MemberId list_sub_items = HostObject::id_of("ListSubItems");
    MemberId text = HostObject::id_of("Text");

    int32_t last() { return to_int16(db::member_object(list_view, "ListItems")->get("Count")); }
    HostObjectPtr item(int32_t row) {
        return db::member_object(list_view, list_items, {db::int16_arg(row)});
    }
    bool skipped(int32_t row) {
        const auto sub_item = db::member_object(*item(row), list_sub_items, {Variant(int16_t{1})});
        return db::is_empty_text(sub_item->get_by_id(text));
    }
    Variant cell(int32_t row, const Variant& column) {
        const auto line = item(row);
        if (to_int16(column) == 0) return line->get_by_id(text);
        return db::member_object(*line, list_sub_items, {column})->get_by_id(text);
    }
};

}  // namespace

bool ClsCommonDb::fnInsertGridDetails(HostObject& mfgGrid, VariantArray& varColindexorValues) {
    return db::with_hint([&] {
        last_sql_ = "Select * from " + table_;
        Recordset rs;
        rs.Open(last_sql_, connection(), adOpenKeyset, adLockOptimistic, -1);
        GridLines lines{mfgGrid};
        insert_lines(rs, lines, varColindexorValues);
        return true;
    });
}

bool ClsCommonDb::fnUpdateListViewDetails(HostObject& lvwCntrl, VariantArray& varColindexorValues) {
    return db::with_hint([&] {
        last_sql_ = "Select * from " + table_;
        Recordset rs;
        rs.Open(last_sql_, connection(), adOpenKeyset, adLockOptimistic, -1);
        ListViewLines lines{lvwCntrl};
        insert_lines(rs, lines, varColindexorValues);
        return true;
    });
}

}  // namespace ortiva
