#include <array>
#include <new>

#include "backup/support.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

constexpr const char* column_count_message = "The Column in the listview should be 5";
constexpr const char* no_databases_message =
    "The list of databases is empty: give the databases of one backup run to list the runs "
    "on the device";
constexpr std::array<const char*, 5> header_texts = {"DataBase Name", "Date", "Time", "size",
                                                     "Sl No"};

void inform(HostRuntime& rt, const std::string& prompt) {
    rt.MsgBox(prompt, vbInformation, Variant::missing());
}

HostObjectPtr member(HostObject& obj, std::string_view name, const Args& index = {}) {
    return object_of(obj.get(name, index));
}

// Column 18 holds "date time"; each half is read as a date and written in its pattern.
std::string date_part(HostRuntime& rt, const std::string& when, int32_t space) {
    return rt.FormatDate(to_date(Variant(text::left(when, space))), "dd/mm/yyyy");
}

std::string time_part(HostRuntime& rt, const std::string& when, int32_t space) {
    const std::string rest = text::right(when, text::utf16_length(when) - space);
    return rt.FormatDate(to_date(Variant(rest)), "hh:mm:ss");
}

}  // namespace

bool ClsDBBackupRestore::fnListBackupDetails(HostObject& lvwBackupDetails,
                                             const std::string& strBackupDevice,
                                             const VariantArray& arrDataBase) {
    HostObject& lvw = lvwBackupDetails;
    const std::shared_ptr<HostRuntime> rt = runtime();
    try {
        const int16_t stride = backup::to16(int64_t{arrDataBase.ubound(1)} + 1);
        // A stride of 0 would list the first set over and over until the line counter
        // overflows; there is no run to show without the run's databases.
        if (stride <= 0) {
            inform(*rt, no_databases_message);
            return false;
        }
        if (to_double(member(lvw, "ColumnHeaders")->get("Count")) != 5) {
            inform(*rt, column_count_message);
            return false;
        }
        for (int16_t i = 1; i <= 5; ++i)
            member(lvw, "ColumnHeaders", {Variant(i)})
                ->let("Text", Variant(header_texts[static_cast<std::size_t>(i - 1)]));
        member(lvw, "ListItems")->call("Clear");

        const auto header = server().backup_device(strBackupDevice)->read_backup_header();
        const int16_t rows = backup::to16(header->rows());
        int16_t line = 1;
        const MemberId list_items = HostObject::id_of("ListItems");
        const MemberId add = HostObject::id_of("Add");
        const MemberId sub_items = HostObject::id_of("SubItems");
        for (int16_t r = 1; r <= rows; r = backup::next(r, stride)) {
            const std::string name = header->cell(r, 10);
            const std::string when = header->cell(r, 18);
            const int32_t space = text::find(when, " ");
            const std::string date = date_part(*rt, when, space);
            const std::string time = time_part(*rt, when, space);
            const std::string size = header->cell(r, 13);
            object_of(lvw.get_by_id(list_items))
                ->call_by_id(add, {Variant(line), Variant::missing(), Variant(name)});
            const HostObjectPtr item = object_of(lvw.get_by_id(list_items, {Variant(line)}));
            item->let_by_id(sub_items, Variant(date), {Variant(int16_t{1})});
            item->let_by_id(sub_items, Variant(time), {Variant(int16_t{2})});
            item->let_by_id(sub_items, Variant(size), {Variant(int16_t{3})});
            item->let_by_id(sub_items, Variant(r), {Variant(int16_t{4})});
            line = backup::next(line);
        }
        return to_double(member(lvw, "ListItems")->get("Count")) != 0;
    } catch (const std::bad_alloc&) {
        inform(*rt, "7" + standard_description(7));
    } catch (...) {
        const ErrorInfo e = current_error();
        inform(*rt, std::to_string(e.number()) + e.description());
    }
    return false;
}

}  // namespace ortiva
