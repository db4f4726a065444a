#include <cstdint>
#include <string>

#include "db/control_support.hpp"
#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

bool is_serial_marker(const Variant& cell) {
    return text::upper(join_text(cell)) == "SLNO";
}

int16_t row_count(HostObject& items) {
    return to_int16(items.get("Count"));
}

// The column that fnDeleteListview matches and renumbers: the row's text for column 0, else a
// sub-item.
class NumberColumn {
  public:
    NumberColumn(HostObject& list_view, HostObject& items, int16_t column)
        : list_view_(list_view), items_(items), column_(column) {}

    Variant value(int32_t row) {
        const auto item = row_item(row);
        return column_ == 0 ? item->get_by_id(text_)
                            : item->get_by_id(sub_items_, {Variant(column_)});
    }
    int16_t number(int32_t row) { return to_int16(value(row)); }

    void set(int32_t row, int32_t number) {
        const auto item = row_item(row);
        if (column_ == 0) {
            item->let_by_id(text_, db::int16_arg(number));
        } else {
            item->let_by_id(sub_items_, db::int16_arg(number), {Variant(column_)});
        }
    }

    // Numbers the rows from `from` to the end with start, start + 1, ...
    void renumber(int32_t from, int32_t start) {
        for (int32_t r = from; r <= row_count(items_); ++r)
            set(r, start + (r - from));
    }

    // The number the row at `at` should carry after a removal there; `first` is the number the
    // removed first row carried.
    int32_t next_number(int32_t at, int16_t first) {
        return at <= 1 ? first : int32_t{number(at - 1)} + 1;
    }

  private:
    HostObjectPtr row_item(int32_t row) {
        return db::member_object(list_view_, list_items_, {db::int16_arg(row)});
    }

    HostObject& list_view_;
    HostObject& items_;
    int16_t column_;
    // Resolved once per call: renumbering touches every row.
    MemberId list_items_ = HostObject::id_of("ListItems");
    MemberId text_ = HostObject::id_of("Text");
    MemberId sub_items_ = HostObject::id_of("SubItems");
};

// Empty, Null, "" and 0 all compare equal to the empty value; a left-out criteria is no
// criteria either.
bool is_no_criteria(const Variant& criteria) {
    switch (criteria.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return true;
        case VariantKind::String:
            return criteria.str().empty();
        case VariantKind::Boolean:
            return !criteria.boolean();
        case VariantKind::Error:
            return criteria.is_missing();
        default:
            return criteria.is_number() && to_double(criteria) == 0;
    }
}

}  // namespace

bool ClsCommonDb::fnInsertListview(HostObject& lvwCntrl, int16_t& intIndex,
                                   const VariantArray& ArrFields) {
    return db::unchanged([&] {
        const int32_t cells = ArrFields.ubound() + 1;
        if (to_int16(db::member_object(lvwCntrl, "ColumnHeaders")->get("Count")) != cells) {
            raise(err::app_defined, {}, db::column_count_message);
        }
        const auto items = db::member_object(lvwCntrl, "ListItems");
        const int16_t count = row_count(*items);
        if (intIndex > count) {
            raise(err::app_defined, {},
                  "The index Should not exceed Number of Rows in the listview");
        }
        if (intIndex == 0) intIndex = db::int16_arg(int32_t{count} + 1).integer();

        // Column 1 is the row's text, column c + 1 its sub-item c; -1 means no serial column.
        int32_t serial = -1;
        const Variant position(intIndex);
        if (is_serial_marker(ArrFields[0])) {
            serial = 0;
            items->call("Add", {position, Variant::missing(), position});
        } else {
            items->call("Add", {position, Variant::missing(), ArrFields[0]});
        }
        const MemberId list_items = HostObject::id_of("ListItems");
        const MemberId sub_items = HostObject::id_of("SubItems");
        for (int32_t c = 1; c <= ArrFields.ubound(); ++c) {
            const Variant sub_item = db::int16_arg(c);
            const auto item = db::member_object(lvwCntrl, list_items, {position});
            if (is_serial_marker(ArrFields[c])) {
                serial = c;
                item->let_by_id(sub_items, position, {sub_item});
            } else {
                item->let_by_id(sub_items, ArrFields[c], {sub_item});
            }
        }
        if (serial >= 0) {
            NumberColumn column(lvwCntrl, *items, static_cast<int16_t>(serial));
            column.renumber(1, 1);
        }
        return true;
    });
}

bool ClsCommonDb::fnDeleteListview(bool blnIsListIndex, HostObject& lvwCntrl,
                                   bool blnNoTobeRenumbered, const Variant& strCriteria,
                                   int16_t intColNo) {
    return db::unchanged([&] {
        const auto items = db::member_object(lvwCntrl, "ListItems");
        NumberColumn column(lvwCntrl, *items, intColNo);
        const bool renumber = blnNoTobeRenumbered;

        if (blnIsListIndex) {
            int16_t first = 0;
            if (renumber) first = column.number(1);
            const auto selected = [&] {
                return to_int16(db::member_object(lvwCntrl, "SelectedItem")->get("Index"));
            };
            items->call("Remove", {Variant(selected())});
            if (renumber && row_count(*items) > 0) {
                const int16_t at = selected();
                column.renumber(at, column.next_number(at, first));
            }
            return true;
        }

        if (is_no_criteria(strCriteria)) return false;
        const std::string criteria = to_text(strCriteria);
        const std::string trimmed_criteria = text::trim(criteria);
        bool found = false;
        for (int32_t i = 1; i <= row_count(*items); ++i) {
            bool match = false;
            if (intColNo == 0) {
                match = text::trim(to_text(column.value(i))) == trimmed_criteria;
            } else if (intColNo > 0) {
                match = to_text(column.value(i)) == criteria;
            }
            if (!match) continue;
            found = true;
            int16_t first = 0;
            if (renumber && i == 1) first = column.number(1);
            items->call("Remove", {db::int16_arg(i)});
            if (renumber) column.renumber(i, column.next_number(i, first));
        }
        return found;
    });
}

}  // namespace ortiva
