#include "ortiva/variant.hpp"

#include <cstdint>
#include <utility>

#include "ortiva/error_info.hpp"

namespace ortiva {

Variant::Variant(VariantArray v) : value_(ArrayRef(std::move(v))) {}

Variant::ArrayRef::ArrayRef(VariantArray v)
    : box(std::make_unique<ArrayBox>(ArrayBox{std::move(v)})) {}

Variant::ArrayRef::ArrayRef(const ArrayRef& other)
    : box(other.box ? std::make_unique<ArrayBox>(*other.box) : nullptr) {}

Variant::ArrayRef& Variant::ArrayRef::operator=(const ArrayRef& other) {
    if (this != &other) *this = ArrayRef(other);
    return *this;
}

bool Variant::ArrayRef::operator==(const ArrayRef& other) const {
    if (!box || !other.box) return box == other.box;
    return box->array == other.box->array;
}

void Variant::type_mismatch() {
    raise(err::type_mismatch);
}

const VariantArray& Variant::array() const {
    return held<ArrayRef>().box->array;
}
VariantArray& Variant::array() {
    return const_cast<VariantArray&>(std::as_const(*this).array());
}

bool operator==(const Variant& a, const Variant& b) {
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

std::size_t VariantArray::offset(const int32_t* subscripts, std::size_t count) const {
    if (!allocated_ || count != dims_.size()) raise(err::subscript);
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
    return items_[offset(&i, 1)];
}
Variant& VariantArray::at(int32_t i) {
    return items_[offset(&i, 1)];
}
const Variant& VariantArray::at(const std::vector<int32_t>& s) const {
    return items_[offset(s.data(), s.size())];
}
Variant& VariantArray::at(const std::vector<int32_t>& s) {
    return items_[offset(s.data(), s.size())];
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
