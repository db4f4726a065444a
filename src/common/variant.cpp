#include "ortiva/variant.hpp"

#include <cstdint>
#include <utility>

#include "ortiva/error_info.hpp"

namespace ortiva {

Variant::Variant(VariantArray v) : value_(std::make_unique<ArrayBox>(ArrayBox{std::move(v)})) {}

Variant::Variant(const Variant& other) {
    *this = other;
}

Variant& Variant::operator=(const Variant& other) {
    if (this == &other) return *this;
    if (const auto* box = std::get_if<std::unique_ptr<ArrayBox>>(&other.value_)) {
        value_ = std::make_unique<ArrayBox>(**box);
    } else {
        std::visit(
            [this](const auto& held) {
                using T = std::decay_t<decltype(held)>;
                if constexpr (!std::is_same_v<T, std::unique_ptr<ArrayBox>>) value_ = held;
            },
            other.value_);
    }
    return *this;
}

Variant::~Variant() = default;

VariantKind Variant::kind() const {
    switch (value_.index()) {
        case 0:
            return VariantKind::Empty;
        case 1:
            return VariantKind::Null;
        case 2:
            return VariantKind::Integer;
        case 3:
            return VariantKind::Long;
        case 4:
            return VariantKind::Single;
        case 5:
            return VariantKind::Double;
        case 6:
            return VariantKind::Date;
        case 7:
            return VariantKind::String;
        case 8:
            return VariantKind::Object;
        case 9:
            return VariantKind::Error;
        case 10:
            return VariantKind::Boolean;
        default:
            return VariantKind::Array;
    }
}

bool Variant::is_missing() const {
    const auto* e = std::get_if<ErrorCode>(&value_);
    return e && e->code == missing_code;
}

bool Variant::is_number() const {
    switch (kind()) {
        case VariantKind::Integer:
        case VariantKind::Long:
        case VariantKind::Single:
        case VariantKind::Double:
            return true;
        default:
            return false;
    }
}

namespace {
template <typename T, typename S>
const T& held(const S& storage) {
    if (const T* p = std::get_if<T>(&storage)) return *p;
    raise(err::type_mismatch);
}
}  // namespace

int16_t Variant::integer() const {
    return held<int16_t>(value_);
}
int32_t Variant::long_value() const {
    return held<int32_t>(value_);
}
float Variant::single() const {
    return held<float>(value_);
}
double Variant::dbl() const {
    return held<double>(value_);
}
Date Variant::date() const {
    return held<Date>(value_);
}
bool Variant::boolean() const {
    return held<bool>(value_);
}
const std::string& Variant::str() const {
    return held<std::string>(value_);
}
const std::shared_ptr<HostObject>& Variant::object() const {
    return held<std::shared_ptr<HostObject>>(value_);
}
int32_t Variant::error_code() const {
    return held<ErrorCode>(value_).code;
}
const VariantArray& Variant::array() const {
    return held<std::unique_ptr<ArrayBox>>(value_)->array;
}
VariantArray& Variant::array() {
    return const_cast<VariantArray&>(std::as_const(*this).array());
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.value_.index() != b.value_.index()) return false;
    if (a.is_array()) return a.array() == b.array();
    return a.value_ == b.value_;
}

// ---- VariantArray ----

VariantArray::VariantArray(std::initializer_list<Variant> items)
    : VariantArray(std::vector<Variant>(items)) {}

namespace {
// The upper bound of a list of n elements, computed wide so that no bound wraps around.
int32_t list_upper(int32_t lower, std::size_t n) {
    const int64_t upper = int64_t{lower} + static_cast<int64_t>(n) - 1;
    if (n > static_cast<std::size_t>(INT32_MAX) || upper > INT32_MAX) raise(err::overflow);
    return static_cast<int32_t>(upper);
}
}  // namespace

VariantArray::VariantArray(std::vector<Variant> items, int32_t lower_bound)
    : allocated_(true),
      dims_{{lower_bound, list_upper(lower_bound, items.size())}},
      items_(std::move(items)) {}

VariantArray VariantArray::with_bounds(std::vector<Bounds> dims) {
    constexpr std::size_t max_elements = std::size_t{1} << 28;
    VariantArray a;
    a.allocated_ = true;
    std::size_t n = dims.empty() ? 0 : 1;
    for (const auto& d : dims) {
        const int64_t count = int64_t{d.upper} - d.lower + 1;
        if (count < 0) raise(err::subscript);
        // Too many elements to hold is the run time's out-of-memory failure.
        if (count > 0 && n > max_elements / static_cast<std::size_t>(count))
            raise(err::out_of_memory);
        n *= static_cast<std::size_t>(count);
    }
    a.dims_ = std::move(dims);
    a.items_.resize(n);
    return a;
}

int32_t VariantArray::lbound(int dimension) const {
    if (!allocated_ || dimension < 1 || dimension > dimensions()) raise(err::subscript);
    return dims_[dimension - 1].lower;
}

int32_t VariantArray::ubound(int dimension) const {
    if (!allocated_ || dimension < 1 || dimension > dimensions()) raise(err::subscript);
    return dims_[dimension - 1].upper;
}

std::size_t VariantArray::offset(const std::vector<int32_t>& subscripts) const {
    if (!allocated_ || subscripts.size() != dims_.size()) raise(err::subscript);
    std::size_t pos = 0;
    std::size_t stride = 1;
    for (std::size_t d = 0; d < dims_.size(); ++d) {
        const auto& b = dims_[d];
        if (subscripts[d] < b.lower || subscripts[d] > b.upper) raise(err::subscript);
        pos += static_cast<std::size_t>(int64_t{subscripts[d]} - b.lower) * stride;
        stride *= static_cast<std::size_t>(int64_t{b.upper} - b.lower + 1);
    }
    return pos;
}

const Variant& VariantArray::at(int32_t i) const {
    return items_[offset({i})];
}
Variant& VariantArray::at(int32_t i) {
    return items_[offset({i})];
}
const Variant& VariantArray::at(const std::vector<int32_t>& s) const {
    return items_[offset(s)];
}
Variant& VariantArray::at(const std::vector<int32_t>& s) {
    return items_[offset(s)];
}

bool operator==(const VariantArray& a, const VariantArray& b) {
    if (a.allocated_ != b.allocated_ || a.dims_.size() != b.dims_.size()) return false;
    for (std::size_t d = 0; d < a.dims_.size(); ++d) {
        if (a.dims_[d].lower != b.dims_[d].lower || a.dims_[d].upper != b.dims_[d].upper)
            return false;
    }
    return a.items_ == b.items_;
}

}  // namespace ortiva
