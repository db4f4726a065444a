#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/control_support.hpp"
#include "db/support.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

// The tree is filled on a best-effort basis: a step that fails is skipped and the walk goes
// on. A refused node add (its key is taken) is how a shared path yields one node.
template <typename F>
bool attempt(F&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

struct Level {
    std::string name;            // the caller's entry, unchanged: it goes into the keys
    std::optional<Field> field;  // the result field it names; none when nothing matches
};

std::string match_form(const std::string& name) {
    return text::upper(text::trim(name));
}

}  // namespace

void ClsCommonDb::PopulateTree(HostObject& tvwCntrl, const std::string& strQuery,
                               const std::string& strTitle,
                               const VariantArray& strFieldNamesAsNodes) {
    const std::shared_ptr<HostRuntime> rt = runtime();
    attempt([&] { last_sql_ = strQuery; });
    Recordset rs;
    attempt([&] { rs.Open(strQuery, connection(), adOpenStatic, adLockReadOnly, -1); });

    int32_t count = 0;
    attempt([&] {
        count = rs.Fields().Count();
        if (count > 0 && db::is_rowguid(rs.Fields().Item(count - 1).Name())) --count;
    });
    std::vector<std::optional<std::string>> field_names(static_cast<std::size_t>(count));
    for (int32_t j = 0; j < count; ++j)
        attempt([&] { field_names[j] = match_form(rs.Fields().Item(j).Name()); });

    std::vector<Level> levels;
    attempt([&] {
        for (int32_t i = strFieldNamesAsNodes.lbound(); i <= strFieldNamesAsNodes.ubound(); ++i) {
            Level& level = levels.emplace_back();
            attempt([&] {
                level.name = join_text(strFieldNamesAsNodes[i]);
                const std::string wanted = match_form(level.name);
                for (int32_t j = 0; j < count; ++j) {
                    if (field_names[j] == wanted) {
                        level.field = rs.Fields().Item(j);
                        break;
                    }
                }
            });
        }
    });

    HostObjectPtr nodes;
    attempt([&] { nodes = db::member_object(tvwCntrl, "Nodes"); });
    Args add(4, Variant::missing());
    const MemberId add_id = HostObject::id_of("Add");
    const auto add_node = [&](const std::string& parent, const std::string& key,
                              const Variant& shown) {
        attempt([&] {
            if (!nodes) return;
            const bool top = text::trim(parent).empty();
            add[0] = top ? Variant::missing() : Variant(parent);
            add[1] = top ? Variant::missing() : Variant(int16_t{4});
            add[2] = Variant(key);
            add[3] = shown;
            nodes->call_by_id(add_id, add);
        });
    };

    std::string root;
    if (!text::trim(strTitle).empty()) {
        root = "R" + strTitle;
        add_node({}, root, Variant(strTitle));
    }

    // A cursor that cannot tell where it is counts as exhausted.
    const auto at_end = [&] {
        bool end = true;
        attempt([&] { end = rs.Eof(); });
        return end;
    };
    if (at_end()) return;
    attempt([&] { rs.MoveFirst(); });
    attempt([&] { rt->SetMousePointer(vbHourglass); });

    std::vector<std::string> texts(levels.size());
    std::string parent;
    std::string key;
    while (!at_end()) {
        for (auto& t : texts)
            t.clear();
        for (std::size_t i = 0; i < levels.size(); ++i) {
            if (i == 0) {
                parent = root;
            } else {
                parent += "L" + std::to_string(i - 1) + levels[i - 1].name + texts[i - 1];
            }
            // Without its field a level cannot be placed, nor can anything below it.
            if (!levels[i].field) break;
            Variant value;
            if (!attempt([&] { value = levels[i].field->Value(); })) continue;
            if (!attempt([&] { texts[i] = join_text(value); })) continue;
            key = parent;
            key += "L" + std::to_string(i) + levels[i].name + texts[i];
            add_node(parent, key, value);
        }
        if (!attempt([&] { rs.MoveNext(); })) break;
    }
    attempt([&] { rt->SetMousePointer(vbDefault); });
}

}  // namespace ortiva
