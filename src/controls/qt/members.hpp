#pragma once

// Member-name dispatch shared by the Qt adapters: case-blind lookup in fixed tables, argument
// helpers with the run time's error numbers, and the conversions between UTF-8 and QString.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ortiva/error_info.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::qt::detail {

enum class Access { get, let, call };

bool same_name(std::string_view a, std::string_view b) noexcept;

template <typename Id>
struct Member {
    std::string_view name;
    Id id;
};

template <typename Id, std::size_t N>
Id find_member(const Member<Id> (&table)[N], std::string_view name, Id none) noexcept {
    for (const Member<Id>& m : table) {
        if (same_name(m.name, name)) return m.id;
    }
    return none;
}

const Variant& arg(const Args& args, std::size_t i);
bool given(const Args& args, std::size_t i);
void expect_args(const Args& args, std::size_t min, std::size_t max);

/// 13 for Null, non-numeric text, objects and the missing marker; 6 beyond 32 bits.
int32_t int_value(const Variant& v);
/// Null fails with 94, objects and errors with 13.
QString qtext(const Variant& v);
/// As qtext, the missing marker meaning "".
QString optional_qtext(const Variant& v);
/// A key argument: left out, Empty or "" means no key.
QString key_value(const Variant& v);
bool bool_value(const Variant& v);

inline QString to_q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline Variant from_q(const QString& s) {
    return Variant(s.toStdString());
}

[[noreturn]] void no_member();
[[noreturn]] void read_only();
[[noreturn]] void invalid_value();
[[noreturn]] void removed();

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

/// The base of every adapter: get, let and call meet in one dispatch function.
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

  protected:
    /// value is the assigned value for a let, nullptr otherwise.
    virtual Variant dispatch(Access access, std::string_view member, const Args& args,
                             const Variant* value) = 0;
};

}  // namespace ortiva::qt::detail
