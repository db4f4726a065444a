#include "ortiva/host_object.hpp"

#include "ortiva/error_info.hpp"

namespace ortiva {

HostObjectPtr object_of(const Variant& v) {
    if (!v.is_object()) raise(err::object_required);
    if (!v.object()) raise(err::object_not_set);
    return v.object();
}

HostObjectPtr get_object(HostObject& obj, std::string_view member, const Args& index) {
    return object_of(obj.get(member, index));
}

}  // namespace ortiva
