#pragma once

/// \file
/// Late binding: the class table of the four public classes, and objects that are created by
/// programmatic id or class id and invoked by dispatch id with `Variant` arguments, the way
/// hosts without compile-time knowledge of the classes drive them.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::component {

/// How a member is invoked; also the bits of `Member::kinds`.
enum Invoke : int32_t { method = 1, property_get = 2, property_let = 4 };

/// The type of a parameter, result or property as the class table gives it.
enum class Type : uint8_t {
    none,        ///< No result
    string,      ///< Text
    integer,     ///< 16-bit signed
    long_value,  ///< 32-bit signed
    boolean,     ///< True -1, false 0
    date,        ///< Days since 30 December 1899
    variant,     ///< Any value, passed on as given (the missing marker when omitted)
    array,       ///< Array of Variant
    control,     ///< A host control or form, travelling as an object
    connection,  ///< A data-access connection object (or none)
    recordset,   ///< A data-access record set object
};

/// One parameter of a member.
struct Parameter {
    std::string_view name;
    Type type;
    bool by_ref = true;     ///< By reference (the default of the interface) or by value
    bool optional = false;  ///< May be omitted: left off the end or passed as the missing marker
    bool written = false;   ///< The member writes a new value back into the caller's argument
};

/// One public member of a class's dispatch interface.
struct Member {
    std::string_view name;
    int32_t dispid;
    int32_t kinds;  ///< `Invoke` bits: method, property get, property let
    std::span<const Parameter> params;
    Type result;  ///< The method's result, or the property's type (what get gives, let takes)
};

/// One public class: its ids and its dispatch interface.
struct ORTIVA_API ClassInfo {
    std::string_view name;            ///< "ClsCommonDb"
    std::string_view interface_name;  ///< "_ClsCommonDb"
    std::string_view clsid;           ///< Class id, upper-case, without braces
    std::string_view iid;             ///< Interface id
    std::string_view progid;          ///< "Ortiva.ClsCommonDb"
    bool predeclared;                 ///< An application object with a predeclared instance
    std::span<const Member> members;

    /// The member with this name, compared case-blind, or nullptr.
    const Member* find(std::string_view member) const noexcept;
    /// The member with this dispatch id, or nullptr.
    const Member* find(int32_t dispid) const noexcept;
};

/// The type library that describes the classes.
struct TypeLibraryInfo {
    std::string_view name;
    std::string_view id;
    int major;
    int minor;
};

/// The four classes, in the order of the type library.
ORTIVA_API std::span<const ClassInfo> classes() noexcept;
/// The type library's name, id and version.
ORTIVA_API const TypeLibraryInfo& type_library() noexcept;
/// The class with this programmatic id or class id (braces optional, case-blind), or nullptr.
ORTIVA_API const ClassInfo* find_class(std::string_view id) noexcept;
/// A member's signature as text, e.g. "Function EnCrypt(ByRef eText As String, ...) As String".
ORTIVA_API std::string signature(const Member& member);
/// The name of a type as the signatures write it ("String", "Integer", "Object"...).
ORTIVA_API std::string_view type_name(Type type) noexcept;

/// An instance of one of the four classes behind its dispatch interface. It is a `HostObject`
/// too, so it travels in a `Variant` and answers get, let and call by member name. Not
/// synchronised: one thread at a time.
class ORTIVA_API Object : public HostObject {
  public:
    /// The class this object is an instance of.
    virtual const ClassInfo& class_info() const noexcept = 0;

    /// A member's dispatch id by name, case-blind; fails with 438 for an unknown name.
    int32_t id_of_name(std::string_view name) const;

    /// Invokes a member. `how` is one `Invoke` value; for a property let the value is the
    /// last argument. Omitted optional arguments are the missing marker or left off the end.
    /// Arguments the member writes back are replaced in `args`. Fails with the member's own
    /// `ErrorInfo`, or with 438 (unknown id or a kind the member lacks), 450 (argument count,
    /// or assigning a property that cannot be assigned), 449 (a required argument missing),
    /// 13 (an argument of the wrong type), 91 (a control argument that is Nothing).
    Variant invoke(int32_t dispid, Invoke how, std::span<Variant> args);

    std::string type_name() const override;
    Variant get(std::string_view member, const Args& index = {}) override;
    void let(std::string_view member, const Variant& value, const Args& index = {}) override;
    Variant call(std::string_view member, const Args& args = {}) override;

  protected:
    /// Runs a member whose arguments are already checked and converted to its parameter types
    /// (a control is a non-null object, optional ones filled in). Written-back arguments are
    /// replaced in `args`.
    virtual Variant dispatch(const Member& member, Invoke how, std::span<Variant> args) = 0;
};

/// Creates a new object from a programmatic id or class id; fails with 429 for another id.
ORTIVA_API std::shared_ptr<Object> create(std::string_view id);

/// The predeclared instance of an application-object class, one per class per process; fails
/// with 429 for `clscryptor`, which has none, and for an unknown id.
ORTIVA_API std::shared_ptr<Object> predeclared(std::string_view id);

/// A dispatch id for any object: from the class table for the four classes (438 for an
/// unknown name), the member-name id of `HostObject::id_of` for controls and host objects.
ORTIVA_API int32_t id_of_name(HostObject& object, std::string_view name);

/// Invokes any object by id: `Object::invoke` for the four classes, get, let or call by
/// member id for controls and host objects (whose arguments are not written back).
ORTIVA_API Variant invoke(HostObject& object, int32_t dispid, Invoke how, std::span<Variant> args);

}  // namespace ortiva::component
