#pragma once

#include <memory>
#include <string_view>

#include "ortiva/host_object.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/variant.hpp"

namespace ortiva::component {

// A record set handed to a late-bound host: EOF, BOF, RecordCount, State, Fields(name or
// position) for a field's value, MoveFirst, MoveNext, Close. Nothing when `recordset` is null.
HostObjectPtr wrap_recordset(std::shared_ptr<Recordset> recordset);

// "String", "Long"... for messages.
std::string_view kind_name(VariantKind kind) noexcept;

}  // namespace ortiva::component
