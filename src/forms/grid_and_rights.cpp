#include <string>

#include "forms/support.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

// "Rows" is read at every loop test, so a grid that changes under the loop is followed.
int32_t rows_of(HostObject& grid) {
    return to_int32(grid.get("Rows"));
}

bool rows_equal(HostObject& grid, MemberId text_matrix, int16_t i, int16_t j,
                const VariantArray& columns, int16_t last) {
    for (int16_t c = 0; c <= last; c = forms::next(c)) {
        const Variant& column = columns.at(c);
        const std::string a =
            text::trim(forms::text_of(grid.get_by_id(text_matrix, {Variant(i), column})));
        const std::string b =
            text::trim(forms::text_of(grid.get_by_id(text_matrix, {Variant(j), column})));
        if (a != b) return false;
    }
    return true;
}

}  // namespace

int32_t clsCommonGen::fnGridDuplicateRow(HostObject& mfgGrd, const VariantArray& columns) {
    const int16_t last = forms::to16(columns.ubound() - columns.lbound());
    const MemberId text_matrix = HostObject::id_of("TextMatrix");
    for (int16_t i = 1; rows_of(mfgGrd) > 2 && i <= rows_of(mfgGrd) - 2; i = forms::next(i)) {
        for (int16_t j = forms::next(i); j <= rows_of(mfgGrd) - 1; j = forms::next(j)) {
            if (rows_equal(mfgGrd, text_matrix, i, j, columns, last)) return j;
        }
    }
    return 0;
}

bool clsCommonGen::fnUserRightOk(const std::string& strAction, const std::string& strRights) {
    // An empty rights text grants nothing, not even the empty action.
    return !strRights.empty() && text::find(strRights, strAction) > 0;
}

}  // namespace ortiva
