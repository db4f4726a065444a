#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/export.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

using Args = std::vector<Variant>;

/// A member name resolved once by HostObject::id_of, then used by id on any host object, the
/// way late-bound clients cache dispatch ids so that a loop never looks a name up per cell.
enum class MemberId : int32_t {};

/// A control, form or collection of the host, driven by member name as the library drives it:
/// property get, property let (both optionally indexed) and method call, with Variant
/// arguments and results. Member names are case-blind; the empty name is the default
/// property. An argument left out is passed as Variant::missing().
///
/// Failures are ErrorInfo: 438 for a member the object does not have, 13 for an argument of
/// the wrong kind, 450 for a wrong number of arguments, 383 for a let of a read-only property,
/// and the control's own error for a value it refuses. Collections ("ListItems", "Nodes",
/// "ColumnHeaders", "Controls", "ListSubItems") are host objects too, returned as Object
/// variants; "ListItems"(3) is an indexed get. A member that yields no object (a list view's
/// "SelectedItem" with no row selected) returns an Object variant holding nullptr (Nothing).
class ORTIVA_API HostObject : public std::enable_shared_from_this<HostObject> {
  public:
    virtual ~HostObject() = default;

    /// The type name the run time reports ("TextBox", "ComboBox", "ListView", ...).
    virtual std::string type_name() const = 0;
    /// Reads a property (\p index for an indexed one, such as "List"(2)).
    virtual Variant get(std::string_view member, const Args& index = {}) = 0;
    /// Writes a property (\p index for an indexed one).
    virtual void let(std::string_view member, const Variant& value, const Args& index = {}) = 0;
    /// Calls a method and returns its result (Empty for one that returns nothing).
    virtual Variant call(std::string_view member, const Args& args = {}) = 0;

    /// The id of a member name, case-blind: the same for every object and thread of the
    /// process, so that an id resolved once serves every object a loop meets. Resolving checks
    /// nothing about any object; using the id fails as the name would (438). Thread-safe.
    /// Fails with 7 once the process has resolved 1,048,576 different names.
    static MemberId id_of(std::string_view member);
    /// get, let and call by an id from id_of. The defaults call by name, so every host object
    /// answers them; the toolkits answer without comparing names. An id that id_of never gave
    /// fails with 438.
    virtual Variant get_by_id(MemberId id, const Args& index = {});
    /// let() by an id from id_of.
    virtual void let_by_id(MemberId id, const Variant& value, const Args& index = {});
    /// call() by an id from id_of.
    virtual Variant call_by_id(MemberId id, const Args& args = {});
};

/// The name an id was resolved from, in the spelling first given to id_of; 438 for an id
/// id_of never gave. Thread-safe.
ORTIVA_API std::string_view member_name(MemberId id);

using HostObjectPtr = std::shared_ptr<HostObject>;

/// The object a Variant holds. Fails with 91 for Nothing (an Object variant holding nullptr),
/// as using an unset object variable does, and with 424 for a value that is no object.
ORTIVA_API HostObjectPtr object_of(const Variant& v);

/// Shorthands for chained member access: get_object(lvw, "ListItems", {Variant(3)}).
/// Fails like object_of when the member yields Nothing or no object.
ORTIVA_API HostObjectPtr get_object(HostObject& obj, std::string_view member,
                                    const Args& index = {});

}  // namespace ortiva
