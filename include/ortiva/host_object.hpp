#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/variant.hpp"

namespace ortiva {

using Args = std::vector<Variant>;

/// A control, form or collection of the host, driven by member name as the library drives it:
/// property get, property let (both optionally indexed) and method call, with Variant
/// arguments and results. Member names are case-blind; the empty name is the default
/// property. An argument left out is passed as Variant::missing().
///
/// Failures are ErrorInfo: 438 for a member the object does not have, 13 for an argument of
/// the wrong kind, and the control's own error for a value it refuses. Collections
/// ("ListItems", "Nodes", "ColumnHeaders", "Controls", "ListSubItems") are host objects too,
/// returned as Object variants; "ListItems"(3) is an indexed get.
class HostObject : public std::enable_shared_from_this<HostObject> {
public:
    virtual ~HostObject() = default;

    /// The type name the run time reports ("TextBox", "ComboBox", "ListView", ...).
    virtual std::string type_name() const = 0;
    virtual Variant get(std::string_view member, const Args& index = {}) = 0;
    virtual void let(std::string_view member, const Variant& value, const Args& index = {}) = 0;
    virtual Variant call(std::string_view member, const Args& args = {}) = 0;
};

using HostObjectPtr = std::shared_ptr<HostObject>;

/// The object a Variant holds; fails with 424 when it holds none (or Nothing).
HostObjectPtr object_of(const Variant& v);

/// Shorthands for chained member access: get_object(lvw, "ListItems", {Variant(3)}).
HostObjectPtr get_object(HostObject& obj, std::string_view member, const Args& index = {});

}  // namespace ortiva
