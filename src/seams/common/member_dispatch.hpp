#pragma once

// Member dispatch shared by the control toolkits: case-blind lookup in a fixed table per kind
// (no allocation, no map built per call; an id mapped once per table), argument helpers and
// the run time's error numbers.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iterator>
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

/// The member a call names: by name, or by an id from HostObject::id_of. A call by id looks
/// its name up only where a member table has not met the id yet.
class MemberRef {
  public:
    MemberRef(std::string_view name) noexcept : name_(name) {}
    explicit MemberRef(MemberId id) noexcept : id_(static_cast<int32_t>(id)), named_(false) {}

    /// The name; 438 for an id that id_of never gave.
    std::string_view name() const {
        if (!named_) {
            name_ = member_name(MemberId{id_});
            named_ = true;
        }
        return name_;
    }
    /// The id, or -1 for a call by name.
    int32_t id() const { return id_; }

  private:
    mutable std::string_view name_;
    int32_t id_ = -1;
    mutable bool named_ = true;
};

/// Ids below this are mapped by each member table once; others (a process that resolved this
/// many names) fall back to the name.
inline constexpr int32_t cached_ids = 1024;

/// The id of the member in table, or Id{} (each table's first enumerator: none). Each table
/// maps an id once, the first time it meets it, from any thread; after that a call by id does
/// no string work.
template <const auto& table>
auto find_member(const MemberRef& member) {
    using Id = decltype(table[0].id);
    static_assert([] {
        for (const auto& m : table) {
            if (static_cast<int>(m.id) < 0 || static_cast<int>(m.id) >= 255) return false;
        }
        return true;
    }());
    const auto scan = [&] {
        const std::string_view name = member.name();
        for (const auto& m : table) {
            if (same_name(m.name, name)) return m.id;
        }
        return Id{};
    };
    const int32_t id = member.id();
    if (id < 0 || id >= cached_ids) return scan();
    // 0: not met yet, else the member's Id + 1. Racing threads store the same value.
    static constinit std::atomic<unsigned char> ids[cached_ids] = {};
    unsigned char found = ids[id].load(std::memory_order_relaxed);
    if (found == 0) {
        found = static_cast<unsigned char>(static_cast<int>(scan()) + 1);
        ids[id].store(found, std::memory_order_relaxed);
    }
    return static_cast<Id>(found - 1);
}

/// Argument i, or the missing marker when the caller gave fewer.
const Variant& arg(const Args& args, std::size_t i);
/// Whether argument i was given (present and not the missing marker).
bool given(const Args& args, std::size_t i);
[[noreturn]] void wrong_argument_count();
/// 450 unless min <= args.size() <= max.
inline void expect_args(const Args& args, std::size_t min, std::size_t max) {
    if (args.size() < min || args.size() > max) wrong_argument_count();
}

/// int_value for the kinds other than Integer and Long.
int32_t converted_int_value(const Variant& v);
/// A number argument as a 32-bit integer: 13 for Null, text that is no number, objects and
/// the missing marker; 6 beyond the range. Inline for the kinds index arguments have.
inline int32_t int_value(const Variant& v) {
    if (v.kind() == VariantKind::Integer) return v.integer();
    if (v.kind() == VariantKind::Long) return v.long_value();
    return converted_int_value(v);
}
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

/// Where a dispatch function is declared: each class answers get, let and call, by name or
/// by id, in one of them.
class DispatchRoot : public HostObject {
  protected:
    /// value is the assigned value for a let, nullptr otherwise. A get of a method calls it
    /// and a call of a property reads it, as late binding allows.
    virtual Variant dispatch(Access access, const MemberRef& member, const Args& args,
                             const Variant* value) = 0;
};

/// Base with the entry points handed to Self's dispatch, called as Self's: where the compiler
/// sees Self's override it calls that directly, not through a second virtual call.
template <typename Base, typename Self>
class Dispatching : public Base {
  public:
    using Base::Base;
    Variant get(std::string_view member, const Args& index) override {
        return self().dispatch(Access::get, member, index, nullptr);
    }
    void let(std::string_view member, const Variant& value, const Args& index) override {
        self().dispatch(Access::let, member, index, &value);
    }
    Variant call(std::string_view member, const Args& args) override {
        return self().dispatch(Access::call, member, args, nullptr);
    }
    Variant get_by_id(MemberId id, const Args& index) override {
        return self().dispatch(Access::get, MemberRef(id), index, nullptr);
    }
    void let_by_id(MemberId id, const Variant& value, const Args& index) override {
        self().dispatch(Access::let, MemberRef(id), index, &value);
    }
    Variant call_by_id(MemberId id, const Args& args) override {
        return self().dispatch(Access::call, MemberRef(id), args, nullptr);
    }

  private:
    Self& self() { return static_cast<Self&>(*this); }
};

/// The base of the toolkits' objects: every call meets in the class's dispatch function.
class Dispatched : public Dispatching<DispatchRoot, Dispatched> {};

inline Variant object_variant(HostObjectPtr object) {
    return Variant(std::move(object));
}
inline Variant nothing() {
    return Variant(HostObjectPtr{});
}

}  // namespace ortiva::member_dispatch
