#pragma once

// Member-name dispatch shared by the control toolkits: case-blind lookup in a fixed table (no
// allocation, no map built per call), argument helpers and the run time's error numbers.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ortiva/error_info.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::member_dispatch {

enum class Access { get, let, call };

/// ASCII case-blind equality: member names are plain identifiers.
bool same_name(std::string_view a, std::string_view b) noexcept;

template <typename Id>
struct Member {
    std::string_view name;
    Id id;
};

/// The id of name in table, or none.
template <typename Id, std::size_t N>
Id find_member(const Member<Id> (&table)[N], std::string_view name, Id none) noexcept {
    for (const Member<Id>& m : table) {
        if (same_name(m.name, name)) return m.id;
    }
    return none;
}

/// Argument i, or the missing marker when the caller gave fewer.
const Variant& arg(const Args& args, std::size_t i);
/// Whether argument i was given (present and not the missing marker).
bool given(const Args& args, std::size_t i);
/// 450 unless min <= args.size() <= max.
void expect_args(const Args& args, std::size_t min, std::size_t max);

/// A number argument as a 32-bit integer: 13 for Null, text that is no number, objects and
/// the missing marker; 6 beyond the range.
int32_t int_value(const Variant& v);
bool bool_value(const Variant& v);

[[noreturn]] void no_member();
[[noreturn]] void read_only();
[[noreturn]] void invalid_value();
[[noreturn]] void removed();

/// Property shapes: a read-only property takes no index and refuses let; a method refuses let.
inline void read_only_property(Access access, const Args& args) {
    if (access == Access::let) read_only();
    expect_args(args, 0, 0);
}
inline void plain_property(const Args& args) {
    expect_args(args, 0, 0);
}
inline void method(Access access) {
    if (access == Access::let) no_member();
}

inline Variant object_variant(HostObjectPtr object) {
    return Variant(std::move(object));
}
inline Variant nothing() {
    return Variant(HostObjectPtr{});
}

}  // namespace ortiva::member_dispatch
