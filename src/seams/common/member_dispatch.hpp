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

// The member being called by id on this thread: its id and the name handed to dispatch.
// find_member recognises that name by its address, so nested lookups of other names (and
// the same name spelled by a caller) take the ordinary path.
inline thread_local const char* invoked_name = nullptr;
inline thread_local int32_t invoked_id = -1;

/// Marks a call by id for the find_member calls it makes; restores the outer mark after.
class InvokedById {
  public:
    InvokedById(MemberId id, std::string_view name) noexcept
        : name_(invoked_name), id_(invoked_id) {
        invoked_name = name.data();
        invoked_id = static_cast<int32_t>(id);
    }
    ~InvokedById() {
        invoked_name = name_;
        invoked_id = id_;
    }
    InvokedById(const InvokedById&) = delete;
    InvokedById& operator=(const InvokedById&) = delete;

  private:
    const char* name_;
    int32_t id_;
};

/// Ids below this are answered from a per-table cache once seen.
inline constexpr int32_t cached_ids = 512;

/// The id of name in table, or none. A name being called by id is looked up once per table
/// and thread, then answered from the cache.
template <typename Id, std::size_t N>
Id find_member(const Member<Id> (&table)[N], std::string_view name, Id none) noexcept {
    static_assert(N < 255);
    const auto scan = [&]() noexcept {
        std::size_t i = 0;
        while (i < N && !same_name(table[i].name, name))
            ++i;
        return i;
    };
    const int32_t id = invoked_id;
    if (id < 0 || id >= cached_ids || name.data() != invoked_name) {
        const std::size_t i = scan();
        return i < N ? table[i].id : none;
    }
    // slot: 0 not yet looked up, else the table position + 1 (N + 1 for none).
    thread_local const void* owner = nullptr;
    thread_local unsigned char positions[cached_ids] = {};
    if (owner != static_cast<const void*>(table)) {
        for (auto& slot : positions)
            slot = 0;
        owner = table;
    }
    unsigned char& slot = positions[id];
    if (slot == 0) slot = static_cast<unsigned char>(scan() + 1);
    return slot <= N ? table[slot - 1].id : none;
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

/// The base of the toolkits' objects: get, let and call, by name or by id, meet in one
/// dispatch function per class.
class Dispatched : public HostObject {
  public:
    Variant get(std::string_view member, const Args& index) final {
        return dispatch(Access::get, member, index, nullptr);
    }
    void let(std::string_view member, const Variant& value, const Args& index) final {
        dispatch(Access::let, member, index, &value);
    }
    Variant call(std::string_view member, const Args& args) final {
        return dispatch(Access::call, member, args, nullptr);
    }
    Variant get_by_id(MemberId id, const Args& index) final {
        const std::string_view name = member_name(id);
        const InvokedById by_id(id, name);
        return dispatch(Access::get, name, index, nullptr);
    }
    void let_by_id(MemberId id, const Variant& value, const Args& index) final {
        const std::string_view name = member_name(id);
        const InvokedById by_id(id, name);
        dispatch(Access::let, name, index, &value);
    }
    Variant call_by_id(MemberId id, const Args& args) final {
        const std::string_view name = member_name(id);
        const InvokedById by_id(id, name);
        return dispatch(Access::call, name, args, nullptr);
    }

  protected:
    /// value is the assigned value for a let, nullptr otherwise. A get of a method calls it
    /// and a call of a property reads it, as late binding allows.
    virtual Variant dispatch(Access access, std::string_view member, const Args& args,
                             const Variant* value) = 0;
};

inline Variant object_variant(HostObjectPtr object) {
    return Variant(std::move(object));
}
inline Variant nothing() {
    return Variant(HostObjectPtr{});
}

}  // namespace ortiva::member_dispatch
