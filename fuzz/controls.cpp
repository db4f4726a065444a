// The headless controls driven by member name with arbitrary arguments, the way a late-bound
// host drives them.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "ortiva/memory_controls.hpp"

using namespace ortiva;
using fuzz::refused;

namespace {

const std::vector<std::string> members = {
    "",           "Add",          "AddItem",      "Caption",       "Checked",       "Child",
    "Children",   "Clear",        "Col",          "Cols",          "ColumnHeaders", "ColWidth",
    "Controls",   "Count",        "Enabled",      "Expanded",      "FirstSibling",  "FixedCols",
    "FixedRows",  "FullPath",     "Hide",         "hwnd",          "Index",         "Item",
    "ItemData",   "Key",          "LastSibling",  "List",          "ListCount",     "ListIndex",
    "ListItems",  "ListSubItems", "Locked",       "MaxLength",     "Name",          "NewIndex",
    "Next",       "Nodes",        "Parent",       "PathSeparator", "Previous",      "Remove",
    "RemoveItem", "Root",         "Row",          "Rows",          "SelLength",     "SelStart",
    "SelText",    "Selected",     "SelectedItem", "SetFocus",      "Show",          "Sorted",
    "SubItems",   "Tag",          "Text",         "TextMatrix",    "Value",         "Visible",
    "Width"};

Variant argument(FuzzedDataProvider& in, const std::vector<HostObjectPtr>& objects) {
    switch (in.ConsumeIntegralInRange(0, 8)) {
        case 0:
            return Variant(in.ConsumeIntegralInRange<int16_t>(-3, 12));
        case 1:
            return Variant(in.ConsumeIntegral<int32_t>());
        case 2:
            return Variant(in.ConsumeFloatingPoint<double>());
        case 3:
            return Variant(in.ConsumeBool());
        case 4:
            return Variant::null();
        case 5:
            return Variant::missing();
        case 6:
            return Variant(objects[in.ConsumeIntegralInRange<size_t>(0, objects.size() - 1)]);
        default:
            return Variant(in.ConsumeRandomLengthString(24));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto& kinds = memory::control_kinds();
    auto form = memory::create_control("Form", "frm");
    std::vector<HostObjectPtr> objects = {form};
    for (int i = 0; i < 3; ++i) {
        const auto& kind = kinds[in.ConsumeIntegralInRange<size_t>(0, kinds.size() - 1)];
        auto control = memory::create_control(kind, "c" + std::to_string(i));
        if (kind != "Form") refused([&] { memory::add_control(*form, control); });
        objects.push_back(control);
    }

    for (int op = 0; op < 48 && in.remaining_bytes() > 0; ++op) {
        auto target = objects[in.ConsumeIntegralInRange<size_t>(0, objects.size() - 1)];
        const bool known = in.ConsumeIntegralInRange(0, 7) != 0;
        const std::string member =
            known ? members[in.ConsumeIntegralInRange<size_t>(0, members.size() - 1)]
                  : in.ConsumeRandomLengthString(12);
        Args args;
        const int count = in.ConsumeIntegralInRange(0, 3);
        for (int i = 0; i < count; ++i)
            args.push_back(argument(in, objects));
        Variant result;
        switch (in.ConsumeIntegralInRange(0, 2)) {
            case 0:
                refused([&] { result = target->get(member, args); });
                break;
            case 1:
                if (!args.empty()) {
                    const Variant value = args.back();
                    args.pop_back();
                    refused([&] { target->let(member, value, args); });
                }
                break;
            default:
                refused([&] { result = target->call(member, args); });
        }
        // Collections and items a member hands back can be driven too.
        if (result.is_object() && result.object() && objects.size() < 12)
            objects.push_back(result.object());
    }

    // Whatever was done, each object still prints, and a member no control has is 438.
    for (const auto& object : objects) {
        int32_t number = 0;
        FUZZ_CHECK(!refused([&] { memory::render(*object); }), object->type_name());
        FUZZ_CHECK(refused([&] { object->get("NoSuchMemberAtAll"); }, &number) && number == 438,
                   object->type_name());
    }
    return 0;
}
